// SPDX-License-Identifier: MIT
// Each tool window lists its controls once, in a NAME_window.def file beside its model:
//
//   KORVA_WINDOW(name, id_prefix, first_id)  the window itself; its caption is the title
//   KORVA_CONTROL(name, type, event, target) a control the model holds (Control, ListControl)
//   KORVA_DECORATION(name)                   a line or the like that only the layouts know
//
// event is None, Click or GotFocus; target says who handles it: Form (the model's
// name_event()), Wait (the same with the waiting dialog and the window), Jobs (the job
// session's name_event(form)), Close (the window closes) or SelectTool (the front end changes
// tools). From the list come the model's members and control table (declare_members.h,
// declare_control_table.h), the name constants the Qt layouts use (declare_names.h), the event
// table both front ends wire in one loop (app/window_events.h), and the Win32 control numbers
// IDC_<id_prefix>_<NAME> numbered from first_id with the name-to-number table
// (cmake/window_ids.cmake). The .rc and Qt layouts place controls, naming them only through
// those numbers and constants, so a control is added here and in the two layouts.
//
// Each use defines KORVA_WINDOW_DECLARATION as the .def file's path and includes one of those
// headers, which reads the list with its own meaning of the three macros.
#pragma once
