// pattern: far-field radiation pattern of the rectangular microstrip patch at
// the pattern frequency, on a 91 x 91 grid of angles over the half space
// x >= 0, shown as a 3-D surface in a new figure.
//
// The patch radiates through its two slots: a slot factor from the substrate
// height and the patch width, times a two-slot factor whose spacing is the
// patch length extended by the fringing length at each edge.
#pragma once

#include "window/frame/frame.h"

namespace pattern {

// The variables of one call, by the names the model gives them.
struct Locals {
  // Inputs: pattern frequency in GHz; sizes in metres once converted.
  frame::Var f0p{"f0p"}, wp{"wp"}, lp{"lp"}, h{"h"}, er{"er"};
  // Free space at f0 and the fringing of the patch.
  frame::Var f0{"f0"}, mi0{"mi0"}, epsilon0{"epsilon0"}, c{"c"}, lambda0{"lambda0"}, k0{"k0"};
  frame::Var ereff{"ereff"}, dlp{"dlp"}, lpeff{"lpeff"};
  // The angle grids (rows follow phi, columns theta) and the pattern on them.
  frame::Var Ntheta{"Ntheta"}, Nphi{"Nphi"}, theta{"theta"}, phi{"phi"}, Th{"Th"}, Ph{"Ph"};
  frame::Var X{"X"}, Z{"Z"}, R{"R"}, x{"x"}, y{"y"}, z{"z"};
};

// From `f0p` (GHz) and `wp`, `lp`, `h` (metres) and `er` to the amplitude
// `R` and the surface points `x`, `y`, `z`, each step one runtime operation
// on whole grids; switches the runtime's warnings off on the way (the first
// grid column, theta = 0, is 0/0). The body's only computation.
void field(Locals& v);

// Reads the design from the controls in `handles`; with a pattern frequency
// of 0 it returns at once, otherwise it draws the pattern in a new figure.
void body(const rt::Array& handles);

FRAME_MODULE(.name = "pattern", .inputs = 1);

}  // namespace pattern
