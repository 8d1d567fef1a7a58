#pragma once
// Placement enums shared by the controls (the names the form code is written against).

namespace controls {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

} // namespace controls
