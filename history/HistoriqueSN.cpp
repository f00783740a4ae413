#include "HistoriqueSN.h"
