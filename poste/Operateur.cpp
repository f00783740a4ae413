#include "Operateur.h"

// Out of line, so that the interface's type information lives in one place.
Operateur::~Operateur() = default;
