#pragma once
// The colouring rules of the document window's source pane: tags blue,
// comments grey, head keywords maroon, attributes fuchsia.
#include "colormemo/ColorRules.h"

namespace DocumentRules {

// Fills rules with the document window's four rules, in order.
void declare(TDrawRules &rules);

} // namespace DocumentRules
