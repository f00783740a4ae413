#include "VueMeuble.h"

VueMeuble::~VueMeuble() = default;
