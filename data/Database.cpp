#include "Database.h"
#include "EnterpriseSettings.h"
#include "RuCollation.h"
#include "Error.h"
#include "RuFormat.h"
#include "Schema.h"
#include "Today.h"
#include "Upgrade.h"
#include "SafeOutput.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <sqlite3.h>

namespace vi23 {

namespace {

constexpr int kBusyTimeoutMs = 3000;

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

} // namespace

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

int compareNoCase(QStringView a, QStringView b)
{
    return ruCompare(a, b);
}

namespace {

// Set while a file is being opened: a lock met then has not cost the user a change.
thread_local bool opening = false;

struct Opening {
    Opening() { opening = true; }
    ~Opening() { opening = false; }
};

} // namespace

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
    const QString unsaved = opening ? QString() : QStringLiteral("; изменение не сохранено");
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        if (opening)
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

// ---- Statement ----

Statement::Statement(sqlite3* db, const QString& sql) : db_(db)
{
    QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        throwSqliteError(db_, rc);
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept : db_(other.db_), stmt_(other.stmt_)
{
    other.stmt_ = nullptr;
}

void Statement::bind(int index, const Value& value)
{
    int rc = SQLITE_OK;
    switch (value.kind()) {
    case Value::Kind::Null: rc = sqlite3_bind_null(stmt_, index); break;
    case Value::Kind::Integer: rc = sqlite3_bind_int64(stmt_, index, value.integer()); break;
    case Value::Kind::Real: rc = sqlite3_bind_double(stmt_, index, value.real()); break;
    case Value::Kind::Money: rc = sqlite3_bind_int64(stmt_, index, value.money().units()); break;
    case Value::Kind::Text: {
        QByteArray utf8 = value.text().toUtf8();
        rc = sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    case Value::Kind::Date: {
        QByteArray utf8 = ru::isoDate(value.date()).toUtf8();
        rc = sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        break;
    }
    }
    if (rc != SQLITE_OK)
        throwSqliteError(db_, rc);
}

bool Statement::step()
{
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(stmt_);
    throwSqliteError(db_, rc);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::run()
{
    while (step()) {
    }
}

int Statement::columnCount() const { return sqlite3_column_count(stmt_); }
bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
long long Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }
double Statement::real(int column) const { return sqlite3_column_double(stmt_, column); }

QString Statement::text(int column) const
{
    auto bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(stmt_, column));
}

// ---- Database ----

Database::Database(sqlite3* db, QString path) : db_(db), path_(std::move(path)) {}

Database::~Database()
{
    sqlite3_close_v2(db_);
    if (protected_)
        unprotectFile(path_);
}

std::unique_ptr<Database> Database::open(const QString& path)
{
    QFileInfo info(path);
    if (!info.exists())
        throw UserError(QStringLiteral("Не найден файл базы данных %1").arg(info.absoluteFilePath()));
    if (!info.isFile())
        throw UserError(QStringLiteral("%1 не является файлом базы данных").arg(info.absoluteFilePath()));
    const Opening openingNow;
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<Database> db(new Database(handle, info.absoluteFilePath()));
    if (rc != SQLITE_OK)
        throwSqliteError(handle, rc, QStringLiteral("Не удалось открыть базу данных %1").arg(db->path_), db->path_);
    protectFile(db->path_);
    db->protected_ = true;
    try {
        db->configure();
        db->verifySchema();
        upgradeOnOpen(*db);
    } catch (const UserError& e) {
        if (e.text().contains(db->path_))
            throw;
        throw UserError(QStringLiteral("Не удалось открыть базу данных %1: %2").arg(db->path_, e.text()));
    }
    return db;
}

std::unique_ptr<Database> Database::openForReading(const QString& path)
{
    const Opening openingNow;
    sqlite3* handle = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<Database> db(new Database(handle, path));
    if (rc != SQLITE_OK)
        throwSqliteError(handle, rc, QStringLiteral("Не удалось открыть базу данных %1").arg(path), path);
    db->configure();
    return db;
}

std::unique_ptr<Database> Database::create(const QString& path)
{
    QFileInfo info(path);
    if (info.exists())
        throw UserError(QStringLiteral("Файл %1 уже существует; он не будет перезаписан").arg(info.absoluteFilePath()));
    const QString absolute = info.absoluteFilePath();
    const Opening openingNow;
    sqlite3* handle = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<Database> db(new Database(handle, absolute));
    try {
        if (rc != SQLITE_OK)
            throwSqliteError(handle, rc, {}, absolute);
        protectFile(db->path_);
        db->protected_ = true;
        db->configure();
        Transaction transaction(*db);
        for (const TableDef& table : schemaTables())
            db->exec(createTableSql(table));
        applyUpgradeSteps(*db);
        db->exec(QStringLiteral("INSERT INTO pr1 DEFAULT VALUES"));
        setDefaultVatRate(*db, kGeneralVatRate);
        transaction.commit();
    } catch (const UserError& e) {
        // A file that failed half-way (a full disk) is not left behind as an empty database.
        db.reset();
        removeDatabaseFiles(absolute);
        throw UserError(QStringLiteral("Не удалось создать базу данных %1: %2").arg(absolute, e.text()));
    }
    return db;
}

void Database::configure()
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

void Database::verifySchema()
{
    for (const TableDef& table : schemaTables()) {
        Statement info(db_, QStringLiteral("SELECT name FROM pragma_table_info(?1)"));
        info.bind(1, table.name);
        QStringList present;
        while (info.step())
            present << info.text(0);
        if (present.isEmpty())
            throw UserError(QStringLiteral("В базе данных %1 нет таблицы «%2»").arg(path_, table.name));
        for (const FieldDef& field : table.fields) {
            if (!field.added && !present.contains(field.name, Qt::CaseInsensitive))
                throw UserError(QStringLiteral("В таблице «%1» базы данных %2 нет поля «%3»").arg(table.name, path_, field.name));
        }
    }
}

void Database::exec(const QString& sql)
{
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        sqlite3_free(message);
        throwSqliteError(db_, rc);
    }
}

long long Database::lastInsertRowId() const { return sqlite3_last_insert_rowid(db_); }
int Database::changes() const { return sqlite3_changes(db_); }
void Database::setBusyTimeout(int milliseconds) { sqlite3_busy_timeout(db_, milliseconds); }

void Database::beforeChange()
{
    if (!firstChangeOfDay_ || sqlite3_get_autocommit(db_) == 0)
        return;
    const QDate today = vi23::today();
    if (lastChangeDay_ == today)
        return;
    lastChangeDay_ = today;
    firstChangeOfDay_();
}

Database::Transaction::Transaction(Database& db) : db_(db)
{
    db_.beforeChange();
    // IMMEDIATE takes the write lock at once, so a busy file fails before any change is made.
    db_.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

Database::Transaction::~Transaction()
{
    if (open_)
        sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void Database::Transaction::commit()
{
    db_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

} // namespace vi23
