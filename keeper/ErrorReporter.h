//===- ErrorReporter.h - How a keeper reports a failed lookup --*- C++ -*-===//
//
// A keeper names its failures through this one operation and knows nothing
// else about who receives them; the manager implements it by forwarding to
// the host's error callback. The interface extends IPhrasorMgr instead of
// standing alone so that the manager stays a single object with a single
// table of operations, the report coming right after the public ones.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_KEEPER_ERRORREPORTER_H
#define PHRASOR_KEEPER_ERRORREPORTER_H

#include "PhrasorRuntime.h"

namespace phrasor {

class IErrorReporter : public IPhrasorMgr {
public:
  /// Called once for each failed lookup that names an entry, with the keeper
  /// concerned, a label naming the entry and one of the fixed texts.
  virtual void ReportError(HSTRINGKEEPER keeper, const char *label,
                           const char *message) = 0;

protected:
  // The manager lives as long as the process and is never destroyed through
  // this interface.
  ~IErrorReporter() = default;
};

} // namespace phrasor

#endif // PHRASOR_KEEPER_ERRORREPORTER_H
