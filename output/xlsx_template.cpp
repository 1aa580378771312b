#include "output/xlsx_template.h"

#include <unzip.h>
#include <zip.h>

#include <QFile>
#include <string>
#include <vector>

namespace quorvane {
namespace {

constexpr char kContentTypes[] = "[Content_Types].xml";
constexpr char kSheetType[] =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr char kTemplateType[] =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";

struct Zips {
  unzFile in = nullptr;
  zipFile out = nullptr;
  ~Zips() {
    if (in) unzClose(in);
    if (out) zipClose(out, nullptr);
  }
};

// Copies the current entry of `in` unchanged, compressed bytes and all.
bool copy_raw(unzFile in, zipFile out, const char* name, const unz_file_info64& info) {
  int method = 0, level = 0;
  if (unzOpenCurrentFile2(in, &method, &level, 1) != UNZ_OK) return false;
  zip_fileinfo zi{};
  zi.dosDate = info.dosDate;
  bool ok = zipOpenNewFileInZip2_64(out, name, &zi, nullptr, 0, nullptr, 0, nullptr, method, level,
                                    1, info.uncompressed_size >= 0xffffffffu) == ZIP_OK;
  std::vector<char> buf(1 << 16);
  int n = 0;
  while (ok && (n = unzReadCurrentFile(in, buf.data(), static_cast<unsigned>(buf.size()))) > 0)
    ok = zipWriteInFileInZip(out, buf.data(), static_cast<unsigned>(n)) == ZIP_OK;
  ok = ok && n == 0;
  unzCloseCurrentFile(in);
  return zipCloseFileInZipRaw64(out, info.uncompressed_size, info.crc) == ZIP_OK && ok;
}

bool copy_content_types(unzFile in, zipFile out, const unz_file_info64& info) {
  if (unzOpenCurrentFile(in) != UNZ_OK) return false;
  std::string xml(static_cast<std::size_t>(info.uncompressed_size), '\0');
  const int n = unzReadCurrentFile(in, xml.data(), static_cast<unsigned>(xml.size()));
  unzCloseCurrentFile(in);
  if (n != static_cast<int>(xml.size())) return false;
  const auto at = xml.find(kSheetType);
  if (at == std::string::npos) return false;
  xml.replace(at, sizeof kSheetType - 1, kTemplateType);
  zip_fileinfo zi{};
  zi.dosDate = info.dosDate;
  return zipOpenNewFileInZip(out, kContentTypes, &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                             Z_DEFAULT_COMPRESSION) == ZIP_OK &&
         zipWriteInFileInZip(out, xml.data(), static_cast<unsigned>(xml.size())) == ZIP_OK &&
         zipCloseFileInZip(out) == ZIP_OK;
}

}  // namespace

bool write_as_template(const QString& xlsx, const QString& xltx, QString* error) {
  const QByteArray from = QFile::encodeName(xlsx), to = QFile::encodeName(xltx);
  bool ok = false;
  {
    Zips z;
    z.in = unzOpen64(from.constData());
    z.out = z.in ? zipOpen64(to.constData(), APPEND_STATUS_CREATE) : nullptr;
    ok = z.in && z.out;
    for (int rc = ok ? unzGoToFirstFile(z.in) : UNZ_END_OF_LIST_OF_FILE; ok && rc == UNZ_OK;
         rc = unzGoToNextFile(z.in)) {
      unz_file_info64 info{};
      char name[512];
      ok =
          unzGetCurrentFileInfo64(z.in, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK;
      if (!ok) break;
      ok = std::string(name) == kContentTypes ? copy_content_types(z.in, z.out, info)
                                              : copy_raw(z.in, z.out, name, info);
    }
    if (ok && z.out) ok = zipClose(z.out, nullptr) == ZIP_OK;
    z.out = nullptr;
  }
  if (!ok) {
    QFile::remove(xltx);
    *error = QStringLiteral("Cannot write the workbook template %1").arg(xltx);
  }
  return ok;
}

}  // namespace quorvane
