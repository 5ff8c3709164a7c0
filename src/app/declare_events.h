// SPDX-License-Identifier: MIT
// Included inside an event table's braces, with KORVA_WINDOW_DECLARATION naming the window's
// .def file: a row for every control with an event (window_events.cpp says how a row is made).
// Read once per use, so without an include guard.
#define KORVA_WINDOW(name, id_prefix, first_id)
#define KORVA_DECORATION(name)
#define KORVA_CONTROL(name, type, event, target) KORVA_EVENT_##event(name, target)
#include KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW_DECLARATION
#undef KORVA_WINDOW
#undef KORVA_CONTROL
#undef KORVA_DECORATION
