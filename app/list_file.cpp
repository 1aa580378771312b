#include "app/list_file.h"

namespace quorvane {

bool split_list_entries(const QByteArray& bytes, const std::function<void(std::string&&)>& entry,
                        const std::function<void()>& progress) {
  ListReader reader;
  unsigned count = 0;
  const ListReader::EntryFn each = [&](std::string_view e) {
    entry(std::string(e));
    if (progress && (++count & 0xFFF) == 0) progress();
  };
  return reader.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     each) &&
         reader.finish(each);
}

}  // namespace quorvane
