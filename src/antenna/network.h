// One-port network maths: the conversions between the scattering parameter
// (the reflection coefficient), the impedance and the admittance against any
// reference impedance Z0, and the figures of the match read from them (VSWR,
// return loss). Written once here; the file reader, the readout and the
// Smith chart all convert through these.
//
// Pozar, Microwave Engineering, 4th ed.: reflection coefficient eq. 2.35,
// VSWR eq. 2.41, return loss eq. 2.39.
#pragma once

#include <complex>
#include <string_view>

namespace antenna {

using Complex = std::complex<double>;

// S11 of a load Z seen against Z0: (Z - Z0) / (Z + Z0). With z0 = 1 it takes
// an impedance already normalised to the reference.
Complex sFromZ(Complex z, double z0);
// The load impedance that reflects with S11: Z0 (1 + S) / (1 - S).
Complex zFromS(Complex s, double z0);
// S11 of a load admittance Y against Z0: (1 - Y Z0) / (1 + Y Z0).
Complex sFromY(Complex y, double z0);
// The load admittance that reflects with S11: (1 - S) / (Z0 (1 + S)).
Complex yFromS(Complex s, double z0);

// |S11| in decibels: 20 log10 |S|; the return loss is its negative.
double magnitudeDb(Complex s);
double returnLossDb(Complex s);
// (1 + |S|) / (1 - |S|), infinite for a total reflection.
double vswr(Complex s);

// The one check of a reference impedance: a finite positive number of ohms.
// Throws std::invalid_argument with the message below, which names what the
// user gave (`shown`, e.g. the typed text in quotes); returns z0 otherwise.
double checkedReferenceImpedance(double z0, std::string_view shown);
double checkedReferenceImpedance(double z0);
// A reference impedance from typed text, checked the same way.
double referenceImpedanceFrom(std::string_view text);

}  // namespace antenna
