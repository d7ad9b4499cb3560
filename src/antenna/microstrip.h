// Microstrip lines: the patch seen as a wide line and the feed line to it.
// Their effective permittivity and impedance (with the strip's thickness
// where it is given) and the dispersion of both, the length by which open
// ends stretch electrically, and the attenuation of conductors and
// substrate. Inputs are u = W/h, the substrate's er and frequencies in Hz;
// lengths in metres.
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

// The zero-thickness widths over h that stand for a strip `tOverH` h thick
// (Hammerstad and Jensen 1980): `air` for the strip in air, `dielectric`
// (less wide) for the field in the substrate. Zero thickness gives u twice.
struct ThickStrip {
  double air = 0;         // u1
  double dielectric = 0;  // ur
};
ThickStrip hammerstadJensenThickStrip(double u, double er, double tOverH);

// Quasi-static line whose strip is `tOverH` h thick (Hammerstad and Jensen
// 1980); zero thickness is hammerstadJensenLine(u, er).
LineState hammerstadJensenLine(double u, double er, double tOverH);

// A line of width u h on a board of height `h` over frequency (Kirschning
// and Jansen 1982 for ee; the impedance as the air line's over sqrt(ee)).
// What depends on the geometry alone is worked out once.
class DispersiveLine {
 public:
  DispersiveLine(double u, double er, double h);
  // The same over a quasi-static line worked out elsewhere (a thick strip's,
  // with u its width in the substrate's field).
  DispersiveLine(double u, double er, double h, const LineState& quasiStatic);
  const LineState& quasiStatic() const { return quasiStatic_; }
  LineState at(double hz) const;
  // ee as at(hz), the impedance as Kirschning and Jansen 1984 give it.
  LineState withKirschningJansenImpedance(double hz) const;

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
