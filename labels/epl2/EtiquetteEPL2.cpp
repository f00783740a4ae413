#include "EtiquetteEPL2.h"
