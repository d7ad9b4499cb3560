// Keys in the order a reader meets them in the Far-field figure's readout;
// a number the model does not give (gain and efficiency of the lossless
// classic model, a beamwidth that never reaches -3 dB) is null.
#include "script/farfield_json.h"

#include "script/json.h"

namespace script {
namespace {

std::string orNull(const std::optional<double>& v) {
  return v ? jsonNumber(*v) : "null";
}

// The beam's numbers, which both the model and a solver give.
std::string beamMembers(const antenna::FarField& f) {
  return ", \"hpbw_e_deg\": " + orNull(f.hpbwEDeg) + ", \"hpbw_h_deg\": " + orNull(f.hpbwHDeg) +
         ", \"max_theta_deg\": " + jsonNumber(f.maxThetaDeg) +
         ", \"max_phi_deg\": " + jsonNumber(f.maxPhiDeg);
}

}  // namespace

std::string farFieldJson(const figures::FarFieldCase& c,
                         const std::optional<figures::FullWaveCuts>& fw) {
  std::string json = "{\"frequency_ghz\": " + jsonNumber(c.ghz) +
                     ", \"model\": " + jsonString(design::modelName(c.model)) +
                     ", \"directivity_dbi\": " + jsonNumber(c.field.directivityDbi) +
                     ", \"gain_dbi\": " + orNull(c.gainDbi()) +
                     ", \"efficiency\": " + orNull(c.efficiency) + beamMembers(c.field);
  if (fw)
    json += ", \"fullwave\": {\"frequency_ghz\": " + jsonNumber(fw->ghz) +
            ", \"model\": " + jsonString(fw->source) +
            ", \"directivity_dbi\": " + jsonNumber(fw->field.directivityDbi) +
            ", \"gain_dbi\": " + orNull(fw->gainDbi()) +
            ", \"efficiency\": " + orNull(fw->efficiency) + beamMembers(fw->field) + "}";
  return json + "}";
}

}  // namespace script
