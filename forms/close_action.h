// What a window's close handler decides: hide (the default), free, or
// veto the close.
#pragma once

enum class TCloseAction { caNone, caHide, caFree };
