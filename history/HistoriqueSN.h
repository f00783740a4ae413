#pragma once
// The window "Historique d'un SN".
