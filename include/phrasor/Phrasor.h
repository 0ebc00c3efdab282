//===- Phrasor.h - The typed C++ layer over the string runtime --*- C++ -*-===//
//
// One include for the whole layer: Catalog (one database), Localizer (a
// fallback chain of them), Expected/Error, the UTF-8 conversions, and the
// user's languages and the program's directory from the environment.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PHRASOR_H
#define PHRASOR_CPP_PHRASOR_H

#include "phrasor/Args.h"
#include "phrasor/Catalog.h"
#include "phrasor/Environment.h"
#include "phrasor/Error.h"
#include "phrasor/Localizer.h"
#include "phrasor/Text.h"
#include "phrasor/Watcher.h"

#endif // PHRASOR_CPP_PHRASOR_H
