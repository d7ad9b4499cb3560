// The callbacks of the six sliders and of the edit boxes beside them, one row
// per control: a slider's value goes into its edit box as text, or an edit
// box's text becomes a number in its slider; then the impedance model (or,
// for the pattern frequency, the pattern model) runs.
#include "window/callbacks.h"

using enum callbacks::Copy;
using enum callbacks::Model;

// The feed offset's callbacks leave the limits alone: the model fits the axes
// itself only for a zero offset.
// clang-format off
//               module         from       to         variable  copy          length model
PARTNER_CALLBACK(inter_func_s1, "slider1", "edit1",   "wp",     sliderToEdit, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_s2, "slider2", "edit2",   "lp",     sliderToEdit, true,  impedanceFitted)
PARTNER_CALLBACK(inter_func_s3, "slider3", "edit3",   "h",      sliderToEdit, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_s4, "slider4", "edit4",   "er",     sliderToEdit, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_s5, "slider5", "edit7",   "offset", sliderToEdit, false, impedance)
PARTNER_CALLBACK(inter_func_s6, "slider6", "edit8",   "f0p",    sliderToEdit, false, patternModel)
PARTNER_CALLBACK(inter_func_e1, "edit1",   "slider1", "wp",     editToSlider, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_e2, "edit2",   "slider2", "lp",     editToSlider, true,  impedanceFitted)
PARTNER_CALLBACK(inter_func_e3, "edit3",   "slider3", "h",      editToSlider, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_e4, "edit4",   "slider4", "er",     editToSlider, false, impedanceFitted)
PARTNER_CALLBACK(inter_func_e7, "edit7",   "slider5", "offset", editToSlider, false, impedance)
// clang-format on
