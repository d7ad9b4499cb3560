// The "Board and feed..." dialog: edit boxes for the refined model's loss
// tangent, copper thickness, conductivity and probe pin diameter, a line
// that says why a value is refused, Apply and Cancel. Built of the program's
// own controls like the design dialog, so tests and scripts drive it by tag.
#pragma once

namespace figures {

// Tags of the dialog's controls; each edit box is tagged "board_" and its
// key (board_tand, board_copper_um, board_sigma, board_pin_mm).
inline constexpr const char* kBoardMessage = "board_message";
inline constexpr const char* kBoardApply = "board_apply";
inline constexpr const char* kBoardCancel = "board_cancel";

// Opens the dialog with the chosen board (or gives the open one); gives its
// figure.
double openBoardDialog();

}  // namespace figures
