//===- Render.h - The runtime's formatter on checked values ----*- C++ -*-===//
//
// The one seam between the layer and the runtime's formatting code: the
// layer hands it checked values and learns whether the output was written
// whole or cut, so a caller grows its buffer only when it must.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_RENDER_H
#define PHRASOR_CPP_RENDER_H

#include "ArgList.h"
#include "phrasor/Catalog.h"

#include <cstdint>

namespace phrasor {

enum class RenderResult {
  Written, ///< whole and terminated; \c written units
  Cut,     ///< did not fit the buffer
  Refused, ///< the formatter refused the text (the checks should prevent it)
};

RenderResult renderText(Style style, PhrasorWChar *buffer, std::uint32_t length,
                        const PhrasorWChar *text, const ArgList &values,
                        std::uint32_t &written);

} // namespace phrasor

#endif // PHRASOR_CPP_RENDER_H
