#include "files/system_reason.h"

#include <cerrno>

namespace velmora {

int SystemErrorNumber(const std::error_code& error)
{
    return error && (error.category() == std::generic_category() || error.category() == std::system_category())
               ? error.value()
               : 0;
}

std::string RussianSystemReason(int errorNumber)
{
    // The reasons of files the window reads and writes, worded as the window speaks: a reason
    // that names no fault of the user's (EIO, EINVAL…) stays the system's.
    switch (errorNumber) {
    case ENOSPC: return "Нет места на диске";
    case EDQUOT: return "Превышена дисковая квота";
    case EFBIG: return "Файл слишком велик";
    case EROFS: return "Диск доступен только для чтения";
    case EACCES:
    case EPERM: return "Нет прав доступа";
    case ENAMETOOLONG: return "Слишком длинное имя файла";
    case ENOENT: return "Нет такого файла или папки";
    case EISDIR: return "Это папка, а не файл";
    case ENOTDIR: return "Часть пути — не папка";
    case EEXIST: return "Файл уже существует";
    default: return {};
    }
}

} // namespace velmora
