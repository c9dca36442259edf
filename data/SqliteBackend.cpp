// The file store: SQLite with the program's case-insensitive collation and sort key.
#include "Database.h"
#include "Error.h"
#include "RuCollation.h"
#include "RuFormat.h"
#include "StoreBackend.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace vi23 {

namespace {

constexpr int kBusyTimeoutMs = 3000;

thread_local bool openingNow = false;

int compareUtf8NoCase(void*, int lengthA, const void* a, int lengthB, const void* b)
{
    return ruCompareUtf8(static_cast<const char*>(a), lengthA, static_cast<const char*>(b), lengthB);
}

QString fromUtf8(const char* text) { return QString::fromUtf8(text ? text : ""); }

// runocase_key(text): a blob whose byte order is the collation's, so that ORDER BY sorts as the
// collation does while computing each key once per row instead of once per comparison.
void foldedKey(sqlite3_context* context, int, sqlite3_value** arguments)
{
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    auto bytes = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const QByteArray key = ruSortKey(QString::fromUtf8(bytes, sqlite3_value_bytes(arguments[0])));
    sqlite3_result_blob(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

class SqliteStatement final : public StatementBackend {
public:
    SqliteStatement(sqlite3* db, const QString& sql) : db_(db)
    {
        QByteArray utf8 = sql.toUtf8();
        int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc);
    }
    ~SqliteStatement() override { sqlite3_finalize(stmt_); }

    void bind(int index, const Value& value) override
    {
        int rc = SQLITE_OK;
        switch (value.kind()) {
        case Value::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
        case Value::Kind::Integer: rc = sqlite3_bind_int64(stmt_, index, value.integer()); break;
        case Value::Kind::Real: rc = sqlite3_bind_double(stmt_, index, value.real()); break;
        case Value::Kind::Money: rc = sqlite3_bind_int64(stmt_, index, value.money().units()); break;
        case Value::Kind::Text:
        case Value::Kind::Date: {
            const QByteArray utf8 = (value.kind() == Value::Kind::Date ? ru::isoDate(value.date()) : value.text()).toUtf8();
            rc = sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc);
    }

    bool step() override
    {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        sqlite3_reset(stmt_);
        throwSqliteError(db_, rc);
    }

    void reset() override
    {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }

    long long runInsert() override
    {
        while (step()) {
        }
        return sqlite3_last_insert_rowid(db_);
    }

    int columnCount() const override { return sqlite3_column_count(stmt_); }
    bool isNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    bool isFloat(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_FLOAT; }
    long long integer(int column) const override { return sqlite3_column_int64(stmt_, column); }
    double real(int column) const override { return sqlite3_column_double(stmt_, column); }
    QString text(int column) const override
    {
        auto bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(stmt_, column));
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

class SqliteConnection final : public ConnectionBackend {
public:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    ~SqliteConnection() override { sqlite3_close_v2(db_); }

    void configure()
    {
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, kBusyTimeoutMs);
        int rc = sqlite3_create_collation_v2(db_, kNoCaseCollation, SQLITE_UTF8, nullptr, compareUtf8NoCase, nullptr);
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc);
        rc = sqlite3_create_function_v2(db_, "runocase_key", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, foldedKey,
                                        nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc);
        // Every committed change reaches the disk before the call returns.
        exec(QStringLiteral("PRAGMA synchronous = FULL"));
    }

    Backend backend() const override { return Backend::SQLite; }

    void exec(const QString& sql) override
    {
        char* message = nullptr;
        int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
        if (rc != SQLITE_OK) {
            sqlite3_free(message);
            throwSqliteError(db_, rc);
        }
    }

    std::unique_ptr<StatementBackend> prepare(const QString& sql) override
    {
        return std::make_unique<SqliteStatement>(db_, sql);
    }

    int changes() const override { return sqlite3_changes(db_); }
    bool inTransaction() const override { return sqlite3_get_autocommit(db_) == 0; }

    bool begin(bool mayDefer) override
    {
        if (mayDefer && sqlite3_db_readonly(db_, "main") == 1)
            return false;
        // IMMEDIATE takes the write lock at once, so a busy file fails before any change is made.
        const int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        const int primary = rc & 0xFF;
        if (mayDefer && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_READONLY))
            return false;
        if (rc != SQLITE_OK)
            throwSqliteError(db_, rc);
        return true;
    }

    void rollback() noexcept override { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); }
    void setBusyTimeout(int milliseconds) override { sqlite3_busy_timeout(db_, milliseconds); }

    QList<QPair<QString, QString>> columns(const QString& table) override
    {
        SqliteStatement info(db_, QStringLiteral("SELECT name, type FROM pragma_table_info(?1) ORDER BY cid"));
        info.bind(1, table);
        QList<QPair<QString, QString>> found;
        while (info.step())
            found.append({info.text(0), info.text(1)});
        return found;
    }

    bool hasTable(const QString& table) override { return hasObject(QStringLiteral("table"), table); }
    bool hasIndex(const QString& index) override { return hasObject(QStringLiteral("index"), index); }
    sqlite3* fileHandle() const override { return db_; }

private:
    bool hasObject(const QString& type, const QString& name)
    {
        SqliteStatement query(db_, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ?1 AND name = ?2"));
        query.bind(1, type);
        query.bind(2, name);
        return query.step();
    }

    sqlite3* db_ = nullptr;
};

} // namespace

OpeningStore::OpeningStore() { openingNow = true; }
OpeningStore::~OpeningStore() { openingNow = false; }
bool OpeningStore::now() { return openingNow; }

std::unique_ptr<ConnectionBackend> openFileConnection(const QString& path, int flags)
{
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    auto connection = std::make_unique<SqliteConnection>(handle);
    if (rc != SQLITE_OK) {
        const QString absolute = QFileInfo(path).absoluteFilePath();
        const QString context = (flags & SQLITE_OPEN_CREATE) ? QString() : QStringLiteral("Не удалось открыть базу данных %1").arg(absolute);
        throwSqliteError(handle, rc, context, absolute);
    }
    connection->configure();
    return connection;
}

namespace {

// What a file SQLite could not open is, in words the user can act on.
QString unopenableFileText(const QString& file)
{
    const QFileInfo info(file);
    if (file.isEmpty())
        return QStringLiteral("файл базы данных не удаётся открыть. Проверьте, что он есть и доступен");
    if (!info.absoluteDir().exists())
        return QStringLiteral("папки %1 нет. Проверьте путь к файлу").arg(info.absolutePath());
    if (!info.exists())
        return QStringLiteral("файла %1 нет. Проверьте путь к файлу").arg(info.absoluteFilePath());
    if (info.isDir())
        return QStringLiteral("%1 - это папка, а не файл базы данных. Укажите файл базы данных").arg(info.absoluteFilePath());
    return QStringLiteral("файл %1 не удаётся открыть: нет прав на чтение и запись. Проверьте права на файл")
        .arg(info.absoluteFilePath());
}

// SQLite's result codes in Russian, each saying what to do; the raw text stays as a detail.
QString sqliteCodeText(int primary, const QString& file, const QString& unsaved)
{
    switch (primary) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return QStringLiteral("файл не является базой данных программы или повреждён. Откройте другой файл "
                              "или восстановите базу из резервной копии");
    case SQLITE_READONLY:
        return QStringLiteral("база данных открыта только для чтения%1. Проверьте права на файл").arg(unsaved);
    case SQLITE_CONSTRAINT: return QStringLiteral("значение не подходит для поля%1").arg(unsaved);
    case SQLITE_CANTOPEN: return unopenableFileText(file);
    case SQLITE_PERM:
    case SQLITE_AUTH: return QStringLiteral("нет прав доступа к базе данных%1. Проверьте права на файл").arg(unsaved);
    case SQLITE_IOERR:
        return QStringLiteral("ошибка чтения или записи диска%1. Проверьте диск и повторите").arg(unsaved);
    case SQLITE_NOMEM:
        return QStringLiteral("не хватает памяти%1. Закройте другие программы и повторите").arg(unsaved);
    case SQLITE_TOOBIG: return QStringLiteral("значение слишком велико для базы данных%1").arg(unsaved);
    case SQLITE_NOLFS:
        return QStringLiteral("файл базы данных превысил допустимый размер%1").arg(unsaved);
    default:
        return QStringLiteral("ошибка базы данных%1. Сообщите разработчику текст подробностей").arg(unsaved);
    }
}

} // namespace

void throwSqliteError(sqlite3* db, int code, const QString& context, const QString& path)
{
    int primary = code & 0xFF;
    const QString detail = db ? fromUtf8(sqlite3_errmsg(db)) : fromUtf8(sqlite3_errstr(code));
    QString prefix = context.isEmpty() ? QString() : context + QStringLiteral(": ");
    const int systemError = db ? sqlite3_system_errno(db) : 0;
    const char* opened = db ? sqlite3_db_filename(db, "main") : nullptr;
    const QString file = opened && *opened ? fromUtf8(opened) : path;
    const QString folder = QFileInfo(file).absolutePath();
    const QString unsaved = openingNow ? QString() : QStringLiteral("; изменение не сохранено");
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        if (openingNow)
            throw UserError(prefix + QStringLiteral("база данных занята другой программой; повторите позже"));
        throw UserError(prefix + QStringLiteral("база данных занята другой программой; изменение не сохранено, "
                                                "повторите действие позже"));
    }
    if (primary == SQLITE_FULL || systemError == ENOSPC || systemError == EDQUOT)
        throw UserError(prefix + QStringLiteral("Нет места на диске%1. Освободите место на диске и повторите").arg(unsaved));
    if (systemError == EFBIG)
        primary = SQLITE_NOLFS;
    // A folder or a missing file is reported as such, whatever code SQLite gave for it.
    if ((primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR) && !file.isEmpty() && !QFileInfo(file).isFile())
        primary = SQLITE_CANTOPEN;
    if (systemError == EROFS || ((primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY) && !file.isEmpty()
                                 && QFileInfo::exists(folder) && ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK, AT_EACCESS) != 0))
        throw UserError(prefix + QStringLiteral("папка %1 доступна только для чтения%2").arg(folder, unsaved));
    throw UserError(prefix + sqliteCodeText(primary, file, unsaved)
                    + QStringLiteral(" (подробности: %1)").arg(detail));
}


} // namespace vi23
