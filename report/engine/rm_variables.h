// The engine's view of the variable lists: TRMVariables comes from the expression code
// when it is part of the build.
#pragma once

#if __has_include("report/engine/expr/variables.h")
#include "report/engine/expr/variables.h"
#define PQ_ENGINE_HAVE_EXPR_VARIABLES 1
#else
#error "the expression library (report/engine/expr) provides TRMVariables"
#endif
