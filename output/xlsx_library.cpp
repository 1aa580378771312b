#include "output/xlsx_library.h"

#include <dlfcn.h>

namespace quorvane {

std::unique_ptr<XlsxLibrary> XlsxLibrary::load(const char* file, QString* error) {
  // Kept loaded for the rest of the program: workbooks are written again and again.
  void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  auto fail = [&] {
    const char* why = dlerror();
    *error = QStringLiteral("the workbook writer %1 cannot be loaded (%2)")
                 .arg(QString::fromLocal8Bit(file), QString::fromLocal8Bit(why ? why : "?"));
    return nullptr;
  };
  if (!handle) return fail();
  auto lib = std::make_unique<XlsxLibrary>();
  bool all = true;
  auto bind = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
    all = all && fn;
  };
  bind(lib->workbook_new_opt, "workbook_new_opt");
  bind(lib->workbook_add_worksheet, "workbook_add_worksheet");
  bind(lib->workbook_add_format, "workbook_add_format");
  bind(lib->format_set_num_format, "format_set_num_format");
  bind(lib->worksheet_write_number, "worksheet_write_number");
  bind(lib->worksheet_write_string, "worksheet_write_string");
  bind(lib->worksheet_set_column, "worksheet_set_column");
  bind(lib->workbook_close, "workbook_close");
  bind(lib->lxw_strerror, "lxw_strerror");
  if (!all) {
    fail();
    dlclose(handle);
    return nullptr;
  }
  return lib;
}

const XlsxLibrary* XlsxLibrary::get(QString* error) {
  static QString failure;
  static const std::unique_ptr<XlsxLibrary> lib = load(QUORVANE_XLSXWRITER_SONAME, &failure);
  if (!lib) *error = failure;
  return lib.get();
}

}  // namespace quorvane
