#include "data/CheckedSaveFile.h"

#include "data/FailureText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

constexpr qint64 kBufferSize = 64 * 1024;
const char kTempMarker[] = ".waybill-tmp-";


QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

FileError::FileError(const QString &action, const QString &path, int code, const QString &systemText)
    : std::runtime_error(failures::fileText(action, path, code, systemText).toStdString()),
      m_action(action), m_path(path), m_systemText(systemText), m_code(code)
{
}

FileError FileError::fromErrno(const QString &action, const QString &path)
{
    const int code = errno;
    return FileError(action, path, code, errnoText(code));
}

QString temporaryNameFor(const QString &target)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = target + QLatin1String(kTempMarker);
    for (int i = 0; i < 6; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))]);
    return name;
}

bool isTemporaryName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^.+\\.waybill-tmp-[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

int removeLeftoverTemporaryFiles(const QString &folder)
{
    int removed = 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (!isTemporaryName(name))
            continue;
        const QString path = dir.filePath(name);
        // A copy of the program that is still writing holds the lock: its file stays.
        const int fd = ::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(encoded(path).constData()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

CheckedSaveFile::CheckedSaveFile(const QString &target) : m_target(target)
{
    // A link is followed, as an editor would: the file it points at is replaced, the link stays.
    const QFileInfo info(target);
    if (info.isSymLink())
        m_target = info.symLinkTarget();
}

CheckedSaveFile::~CheckedSaveFile()
{
    if (!m_committed)
        discard();
}

void CheckedSaveFile::create()
{
    if (m_fd >= 0)
        return;
    const QString action = QStringLiteral("写入");
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_tempPath = temporaryNameFor(m_target);
        // 0666 less the umask, as any new file; an existing target's permissions are kept.
        m_fd = ::open(encoded(m_tempPath).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0 || errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const FileError error = FileError::fromErrno(action, m_target);
        m_tempPath.clear();
        throw error;
    }
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    struct stat st;
    if (::stat(encoded(m_target).constData(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(m_fd, st.st_mode & 07777);
    m_buffer.reserve(kBufferSize);
    m_errorCode = 0;
    m_committed = false;
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

void CheckedSaveFile::fail(const QString &action, int code)
{
    if (m_errorCode)
        return;
    m_errorCode = code;
    m_errorAction = action;
    setErrorString(errnoText(code));
}

bool CheckedSaveFile::flushBuffer()
{
    const char *p = m_buffer.constData();
    qint64 left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("写入"), errno);
            return false;
        }
        if (n == 0) {
            fail(QStringLiteral("写入"), EIO);
            return false;
        }
        p += n;
        left -= n;
    }
    m_buffer.clear();
    return true;
}

qint64 CheckedSaveFile::writeData(const char *data, qint64 size)
{
    if (m_fd < 0 || m_errorCode)
        return -1;
    if (m_buffer.size() + size > kBufferSize && !flushBuffer())
        return -1;
    if (size >= kBufferSize) {
        m_buffer = QByteArray::fromRawData(data, int(size));
        const bool ok = flushBuffer();
        m_buffer = QByteArray();
        m_buffer.reserve(kBufferSize);
        return ok ? size : -1;
    }
    m_buffer.append(data, size);
    return size;
}

void CheckedSaveFile::throwIfFailed()
{
    if (m_errorCode)
        throw FileError(m_errorAction, m_target, m_errorCode, errnoText(m_errorCode));
}

void CheckedSaveFile::sync()
{
    if (m_fd < 0) {
        throwIfFailed();
        throw FileError(QStringLiteral("写入"), m_target, EBADF, errnoText(EBADF));
    }
    if (!m_errorCode)
        flushBuffer();
    throwIfFailed();
    if (::fsync(m_fd) != 0)
        fail(QStringLiteral("写入磁盘"), errno);
    throwIfFailed();
}

qint64 CheckedSaveFile::sizeOnDisk()
{
    struct stat st;
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
}

QByteArray CheckedSaveFile::tail(int count)
{
    const qint64 size = sizeOnDisk();
    if (size <= 0)
        return QByteArray();
    const qint64 from = std::max<qint64>(0, size - count);
    QByteArray bytes(int(size - from), Qt::Uninitialized);
    const ssize_t n = ::pread(m_fd, bytes.data(), size_t(bytes.size()), off_t(from));
    return n < 0 ? QByteArray() : bytes.left(int(n));
}

void CheckedSaveFile::commit()
{
    try {
        sync();
        if (::rename(encoded(m_tempPath).constData(), encoded(m_target).constData()) != 0)
            throw FileError::fromErrno(QStringLiteral("替换"), m_target);
    } catch (...) {
        discard();
        throw;
    }
    m_committed = true;
    const int rc = ::close(m_fd);
    m_fd = -1;
    QIODevice::close();
    syncFolder(QFileInfo(m_target).absolutePath());
    if (rc != 0)
        throw FileError::fromErrno(QStringLiteral("写入"), m_target);
}

void CheckedSaveFile::discard()
{
    // Removed while still locked, so no other copy's clean-up can race with it.
    if (!m_tempPath.isEmpty() && !m_committed)
        ::unlink(encoded(m_tempPath).constData());
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

void commitPdf(CheckedSaveFile &file, bool painterEnded)
{
    try {
        file.sync();
        if (!painterEnded || !file.tail(64).trimmed().endsWith("%%EOF"))
            throw FileError(QStringLiteral("写完 PDF 文件"), file.target(), 0, QStringLiteral("PDF file incomplete"));
        file.commit();
    } catch (...) {
        file.discard();
        throw;
    }
}

} // namespace files
