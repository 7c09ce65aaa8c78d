#include "engine/output_model.hpp"
