// Which road the document walk takes (for tests).
#pragma once

#include <QTextDocument>

namespace text {

// Whether reading `source` back goes through Qt's array of fragments in one
// pass, as it does for a document loaded and not yet cut into.
bool walksFragmentsInArrayOrder(const QTextDocument& source);

} // namespace text
