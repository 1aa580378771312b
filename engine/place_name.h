#pragma once
// Place names compared as people type them: case, accents and punctuation ignored.
#include <string>
#include <string_view>

namespace quorvane {

// The name folded for comparison: ASCII letters in lower case; the accented Latin
// letters (U+00C0 to U+017F) as their base letters ("Doña Ana" -> "dona ana", "ß" ->
// "ss"); combining accents dropped; apostrophes and full stops dropped ("O'Fallon" ->
// "ofallon", "St. Paul" -> "st paul"); every other run of non-letters, non-digits a
// single space, none at either end. Other characters (and bytes that are not UTF-8)
// are kept as they are. Appends to `out`.
void fold_place_name(std::string_view name, std::string& out);
std::string fold_place_name(std::string_view name);

}  // namespace quorvane
