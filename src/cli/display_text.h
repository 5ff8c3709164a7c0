// SPDX-License-Identifier: MIT
// What korva-build prints of names it did not choose (job paths, output folders, the texts of
// messages) goes through here, so a folder name cannot move the cursor, ring the bell, recolour
// the terminal or turn the rest of a build log around.
#pragma once

#include <string>
#include <string_view>

namespace korva::cli {

enum class LineBreaks { Escape, Keep };

// The text with every character a terminal or a log viewer would act on shown as an escape
// instead: control characters (C0, DEL, C1) as "\x1b", the bidirectional marks, embeddings,
// overrides and isolates as "\u202e", the non-characters U+FFFE and U+FFFF as "\ufffe", and bytes
// that are no UTF-8 as "\xff". Other non-ASCII text is kept as it is. Keep leaves line feeds and
// tabs, for messages of several lines.
std::string display_text(std::string_view utf8, LineBreaks breaks = LineBreaks::Escape);

}  // namespace korva::cli
