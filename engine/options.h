#pragma once
// How a comparison is measured and worded: small types that headers share without
// pulling in the engine.
#include <cstdint>

namespace quorvane {

enum class Method : std::uint8_t { Sphere, Geodesic };
enum class Units : std::uint8_t { Miles, Kilometres };

// How a result line reads. The numbers are the command line's --wording numbers.
enum class Wording : std::uint8_t {
  None = 0,             // no line
  Sentence = 3,         // "Distance between 60628 and 60629 is 1.6 miles"
  ZipsAndDistance = 4,  // "60628 to 60629: 1.6 miles"
  DistanceOnly = 5,     // "1.6 miles"
};

// How a batch of comparisons is carried out and worded; chosen once per batch.
struct CompareOptions {
  Wording wording = Wording::Sentence;
  bool use2016 = true;
  Method method = Method::Sphere;
  Units units = Units::Miles;
};

}  // namespace quorvane
