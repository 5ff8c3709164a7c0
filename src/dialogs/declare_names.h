// SPDX-License-Identifier: MIT
// Included inside a namespace, with KORVA_WINDOW_DECLARATION naming the window's .def file: a
// constant per control holding its name, so that a layout naming a control that is not declared
// does not compile. Read once per use, so without an include guard.
#define KORVA_WINDOW(name, id_prefix, first_id) inline constexpr char name[] = #name;
#define KORVA_CONTROL(name, type, event, target) inline constexpr char name[] = #name;
#define KORVA_DECORATION(name) inline constexpr char name[] = #name;
#include KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW
#undef KORVA_CONTROL
#undef KORVA_DECORATION
