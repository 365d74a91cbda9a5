#include "term/output.hpp"
