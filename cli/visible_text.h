// Text for a terminal: a photo's text or a file's name must not move the cursor, retitle the
// window or start a line of its own.
#pragma once

#include <cstddef>
#include <string>

// Rewrites the UTF-8 text of out from `from` on so that every control character (C0, DEL and the
// C1 range U+0080 to U+009F, TAB and line ends among them) shows as \xHH, HH its code in
// upper-case hex. Text without one is left as it is.
void MakeControlsVisible(std::string& out, size_t from);
