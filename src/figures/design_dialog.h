// The "Design for a resonance..." dialog: a small figure of the program's own
// controls (edit boxes for the target, a text with the design it proposes or
// why it refuses, Apply and Cancel), so that tests and scripts drive it by
// its tags like the main window. Its callbacks are native functions of the
// graphics runtime, not modules of the program.
#pragma once

namespace figures {

// Tags of the dialog's controls.
inline constexpr const char* kDialogModel = "design_model";
inline constexpr const char* kDialogF0 = "design_f0";
inline constexpr const char* kDialogEr = "design_er";
inline constexpr const char* kDialogH = "design_h";
inline constexpr const char* kDialogZ0 = "design_z0";
inline constexpr const char* kDialogProposal = "design_proposal";
inline constexpr const char* kDialogApply = "design_apply";
inline constexpr const char* kDialogCancel = "design_cancel";

// Opens the dialog with a proposal for the window's substrate and band on
// the model nearest full-wave runs (its Model choice; Apply chooses it in
// the window too, so the window's peak lands on F0), or gives the open one;
// gives its figure. Throws std::runtime_error when the
// main window is not open.
double openDesignDialog();

}  // namespace figures
