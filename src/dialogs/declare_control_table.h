// SPDX-License-Identifier: MIT
// Included inside a ControlTable's braces, with KORVA_WINDOW_DECLARATION naming the window's
// .def file: the window first, then every control with its name. Read once per use, so without
// an include guard.
#define KORVA_WINDOW(name, id_prefix, first_id) {#name, &name},
#define KORVA_CONTROL(name, type, event, target) {#name, &name},
#define KORVA_DECORATION(name)
#include KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW
#undef KORVA_CONTROL
#undef KORVA_DECORATION
