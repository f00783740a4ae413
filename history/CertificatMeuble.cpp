#include "CertificatMeuble.h"
