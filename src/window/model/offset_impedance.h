// offset_impedance: input impedance of a rectangular microstrip patch fed at
// a distance `offset` from one radiating edge, over 1000 frequencies of the
// band, drawn as resistance and reactance in the axes tagged "axes1" and
// "axes2".
//
// Transmission-line model: the patch is a section of microstrip line closed
// at each end by a radiating slot; each slot's impedance is carried along its
// part of the line to the feed point, where the two admittances add.
#pragma once

#include "window/frame/frame.h"

namespace offset_impedance {

// The variables of one call, by the names the model gives them.
struct Locals {
  // Inputs: band limits in GHz; sizes in metres once converted.
  frame::Var fmin{"fmin"}, fmax{"fmax"};
  frame::Var wp{"wp"}, lp{"lp"}, h{"h"}, er{"er"}, offset{"offset"};
  frame::Var pon{"pon"};
  // Frequencies (Hz), free space and the patch seen as a microstrip line.
  frame::Var f{"f"}, N{"N"}, a{"a"}, mi0{"mi0"}, epsilon0{"epsilon0"}, c{"c"};
  frame::Var lambda0{"lambda0"}, k0{"k0"}, Z0{"Z0"}, ereff{"ereff"}, Zc{"Zc"}, ws{"ws"};
  // Slots, reflection coefficients and the impedance at the feed point.
  frame::Var Yslot{"Yslot"}, Zslot{"Zslot"}, beta{"beta"}, RCslot{"RCslot"};
  frame::Var RCslot1{"RCslot1"}, RCslot2{"RCslot2"}, Zslot1{"Zslot1"}, Zslot2{"Zslot2"};
  frame::Var Yslot1{"Yslot1"}, Yslot2{"Yslot2"}, Ytotal{"Ytotal"}, Zin{"Zin"};
  // The two impedance axes.
  frame::Var ha1{"ha1"}, ha2{"ha2"};
};

// From `fmin`, `fmax` (GHz) and `wp`, `lp`, `h`, `er`, `offset` (metres) to
// `Zin` at the 1000 frequencies `f`, each step one runtime operation on whole
// rows. Sets every quantity from `f` to `Zin`. The body's only computation.
void impedance(Locals& v);

// Reads the design from the controls in `handles`; returns `pon`: 0 when the
// impedance was computed and drawn, 1 when Fmax is not greater than Fmin
// (NaN included) and nothing was computed or drawn.
rt::Array body(int nargout, const rt::Array& handles);

FRAME_MODULE(.name = "offset_impedance", .inputs = 1, .outputs = 1, .output = "pon");

}  // namespace offset_impedance
