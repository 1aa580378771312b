#include "format/status_words.h"

namespace quorvane {

std::string_view status_word(PairStatus status) {
  switch (status) {
    case PairStatus::Distance:
      return "";
    case PairStatus::NotInTable:
      return "not-in-table";
    case PairStatus::ZeroCoordinates:
      return "zero-coordinates";
    case PairStatus::NotNumeric:
      return "not-numeric";
    case PairStatus::DatabaseUnreadable:
      return "database-unreadable";
    case PairStatus::BadCoordinates:
      return "bad-coordinates";
    case PairStatus::NotAZip:
      return "not-a-zip";
  }
  return "";
}

}  // namespace quorvane
