#include "grid_model.h"
