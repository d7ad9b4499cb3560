// The patch seen as a wide microstrip line: its effective permittivity and
// impedance with frequency dispersion, the length by which its open ends
// stretch electrically, and the attenuation of its conductors and substrate.
// Inputs are u = W/h, the substrate's er and frequencies in Hz; lengths in
// metres.
#pragma once

namespace antenna {

// The line at one frequency. `filling` is (ee - 1)/(er - 1), the share of
// the field inside the substrate, kept apart so that the air line (er = 1)
// needs no 0/0.
struct LineState {
  double ee = 1;       // effective relative permittivity
  double filling = 1;  // (ee - 1)/(er - 1), between 1/2 and 1
  double zc = 0;       // characteristic impedance, ohm
};

// Quasi-static line of zero strip thickness (Hammerstad and Jensen 1980).
LineState hammerstadJensenLine(double u, double er);

// A line of width u h on a board of height `h` over frequency (Kirschning
// and Jansen 1982 for ee; the impedance as the air line's over sqrt(ee)).
// What depends on the geometry alone is worked out once.
class DispersiveLine {
 public:
  DispersiveLine(double u, double er, double h);
  const LineState& quasiStatic() const { return quasiStatic_; }
  LineState at(double hz) const;

 private:
  LineState quasiStatic_;
  double er_, u_, h_, p2_, p4_, p3Width_, p1Narrow_;
};

// Open-end length extension over h at effective permittivity ee
// (Kirschning, Jansen and Koster 1981), the width's terms worked out once.
class KirschningJansenKosterOpenEnd {
 public:
  KirschningJansenKosterOpenEnd(double u, double er);
  double operator()(double ee) const;

 private:
  double widthTerm_, x3Width_, x4_, x5_;
};

// Open-end length extension over h (Hammerstad 1975), the older form.
double hammerstadOpenEnd(double u, double ee);

// Surface resistance of copper `thickness` thick, ohm per square.
double surfaceResistance(double hz, double conductivity, double thickness);

// Attenuation of a wide strip over its ground plane from both plates, Np/m.
double conductorAttenuation(double surfaceResistance, double zc, double width);

// Attenuation from the substrate's loss tangent, Np/m.
double dielectricAttenuation(double hz, double er, const LineState& line, double lossTangent);

}  // namespace antenna
