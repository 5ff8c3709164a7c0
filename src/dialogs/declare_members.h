// SPDX-License-Identifier: MIT
// Included inside a model's class, with KORVA_WINDOW_DECLARATION naming the window's .def file:
// one member per control. Read once per use, so without an include guard.
#define KORVA_WINDOW(name, id_prefix, first_id) Control name;
#define KORVA_CONTROL(name, type, event, target) type name;
#define KORVA_DECORATION(name)
#include KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW
#undef KORVA_CONTROL
#undef KORVA_DECORATION
