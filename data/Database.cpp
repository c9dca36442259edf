#include "Database.h"
#include "EnterpriseSettings.h"
#include "Error.h"
#include "RuCollation.h"
#include "Today.h"
#include "SafeOutput.h"
#include "Schema.h"
#include "StoreBackend.h"
#include "Upgrade.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>
#include <sqlite3.h>

namespace vi23 {

void removeDatabaseFiles(const QString& path)
{
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

int compareNoCase(QStringView a, QStringView b)
{
    return ruCompare(a, b);
}

// ---- Statement ----

Statement::Statement(std::unique_ptr<StatementBackend> backend) : backend_(std::move(backend)) {}
Statement::~Statement() = default;
Statement::Statement(Statement&& other) noexcept = default;

void Statement::bind(int index, const Value& value) { backend_->bind(index, value); }
bool Statement::step() { return backend_->step(); }
void Statement::reset() { backend_->reset(); }
long long Statement::runInsert() { return backend_->runInsert(); }

void Statement::run()
{
    while (step()) {
    }
}

int Statement::columnCount() const { return backend_->columnCount(); }
bool Statement::isNull(int column) const { return backend_->isNull(column); }
bool Statement::isFloat(int column) const { return backend_->isFloat(column); }
long long Statement::integer(int column) const { return backend_->integer(column); }
double Statement::real(int column) const { return backend_->real(column); }
QString Statement::text(int column) const { return backend_->text(column); }

// ---- Database ----

Database::Database(std::unique_ptr<ConnectionBackend> connection, QString path)
    : connection_(std::move(connection)), path_(std::move(path))
{
}

Database::~Database()
{
    connection_.reset();
    if (protected_)
        unprotectFile(path_);
}

Backend Database::backend() const { return connection_->backend(); }

QString Database::displayName() const
{
    if (!isServer())
        return path_;
    // The database and the host as libpq reads them; never a password.
    const QUrl url(path_);
    QString name = url.path().mid(1);
    QString host = url.host();
    if (url.scheme().isEmpty()) {
        for (const QString& pair : path_.split(u' ', Qt::SkipEmptyParts)) {
            if (pair.startsWith(u"dbname="))
                name = pair.mid(7);
            else if (pair.startsWith(u"host="))
                host = pair.mid(5);
        }
    } else if (host.isEmpty()) {
        host = QUrlQuery(url).queryItemValue(QStringLiteral("host"));
    }
    return QStringLiteral("сервер PostgreSQL, база %1%2").arg(name.isEmpty() ? QStringLiteral("по умолчанию") : name,
                                                              host.isEmpty() ? QString() : QStringLiteral(" на ") + host);
}

sqlite3* Database::handle() const
{
    if (sqlite3* file = connection_->fileHandle())
        return file;
    throw UserError(kServerCopiesText);
}

std::unique_ptr<Database> Database::open(const QString& location)
{
    const OpeningStore openingNow;
    std::unique_ptr<Database> db;
    if (isServerLocation(location)) {
        db.reset(new Database(openServerConnection(location), location));
    } else {
        QFileInfo info(location);
        if (!info.exists())
            throw UserError(QStringLiteral("Не найден файл базы данных %1").arg(info.absoluteFilePath()));
        if (!info.isFile())
            throw UserError(QStringLiteral("%1 не является файлом базы данных").arg(info.absoluteFilePath()));
        db.reset(new Database(openFileConnection(location, SQLITE_OPEN_READWRITE), info.absoluteFilePath()));
        protectFile(db->path_);
        db->protected_ = true;
    }
    try {
        db->verifySchema();
        upgradeOnOpen(*db);
    } catch (const UserError& e) {
        if (e.text().contains(db->displayName()))
            throw;
        throw UserError(QStringLiteral("Не удалось открыть базу данных %1: %2").arg(db->displayName(), e.text()));
    }
    return db;
}

std::unique_ptr<Database> Database::openForReading(const QString& location)
{
    const OpeningStore openingNow;
    if (isServerLocation(location))
        return std::unique_ptr<Database>(new Database(openServerConnection(location), location));
    return std::unique_ptr<Database>(new Database(openFileConnection(location, SQLITE_OPEN_READONLY), location));
}

std::unique_ptr<Database> Database::create(const QString& location)
{
    const OpeningStore openingNow;
    if (isServerLocation(location)) {
        std::unique_ptr<Database> db(new Database(openServerConnection(location), location));
        if (db->hasTable(QStringLiteral("jur")))
            throw UserError(QStringLiteral("В базе данных %1 уже есть таблицы программы; она не будет перезаписана").arg(db->displayName()));
        try {
            db->createSchema();
        } catch (const UserError& e) {
            throw UserError(QStringLiteral("Не удалось создать базу данных %1: %2").arg(db->displayName(), e.text()));
        }
        return db;
    }
    QFileInfo info(location);
    if (info.exists())
        throw UserError(QStringLiteral("Файл %1 уже существует; он не будет перезаписан").arg(info.absoluteFilePath()));
    const QString absolute = info.absoluteFilePath();
    std::unique_ptr<Database> db;
    try {
        db.reset(new Database(openFileConnection(location, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE),
                              absolute));
        protectFile(db->path_);
        db->protected_ = true;
        db->createSchema();
    } catch (const UserError& e) {
        // A file that failed half-way (a full disk) is not left behind as an empty database.
        db.reset();
        removeDatabaseFiles(absolute);
        throw UserError(QStringLiteral("Не удалось создать базу данных %1: %2").arg(absolute, e.text()));
    }
    return db;
}

void Database::createSchema()
{
    Transaction transaction(*this);
    if (isServer()) {
        for (const QString& sql : serverCollationSql())
            exec(sql);
    }
    for (const TableDef& table : schemaTables())
        exec(dialect().createTable(table));
    applyUpgradeSteps(*this);
    exec(QStringLiteral("INSERT INTO pr1 DEFAULT VALUES"));
    setDefaultVatRate(*this, kGeneralVatRate);
    transaction.commit();
}

void Database::createWorkTables()
{
    for (const TableDef& table : schemaTables()) {
        if (isWorkTable(table.name))
            exec(dialect().createTable(table, true));
    }
}

void Database::verifySchema()
{
    for (const TableDef& table : schemaTables()) {
        QStringList present;
        for (const auto& column : columnsOf(table.name))
            present << column.first;
        if (present.isEmpty())
            throw UserError(QStringLiteral("В базе данных %1 нет таблицы «%2»").arg(displayName(), table.name));
        for (const FieldDef& field : table.fields) {
            if (!field.added && !present.contains(field.name, Qt::CaseInsensitive))
                throw UserError(QStringLiteral("В таблице «%1» базы данных %2 нет поля «%3»").arg(table.name, displayName(), field.name));
        }
    }
}

void Database::exec(const QString& sql) { connection_->exec(sql); }
Statement Database::prepare(const QString& sql) { return Statement(connection_->prepare(sql)); }

Statement Database::prepareInsert(const QString& sql, const QString& key)
{
    return prepare(isServer() ? sql + QStringLiteral(" RETURNING ") + key : sql);
}

int Database::changes() const { return connection_->changes(); }
void Database::setBusyTimeout(int milliseconds) { connection_->setBusyTimeout(milliseconds); }
QList<QPair<QString, QString>> Database::columnsOf(const QString& table) { return connection_->columns(table); }
bool Database::hasTable(const QString& table) { return connection_->hasTable(table); }

bool Database::hasColumn(const QString& table, const QString& column)
{
    for (const auto& present : columnsOf(table)) {
        if (present.first.compare(column, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
bool Database::hasIndex(const QString& index) { return connection_->hasIndex(index); }
bool Database::beginIfWritable() { return connection_->begin(true); }
void Database::rollback() noexcept { connection_->rollback(); }

void Database::beforeChange()
{
    if (!firstChangeOfDay_ || connection_->inTransaction())
        return;
    const QDate today = vi23::today();
    if (lastChangeDay_ == today)
        return;
    lastChangeDay_ = today;
    firstChangeOfDay_();
}

Database::Transaction::Transaction(Database& db) : db_(db)
{
    // Inside another unit of work (a tool storing many rows through data sets) this one joins it:
    // the outer one commits or rolls back the whole.
    if (db_.connection_->inTransaction()) {
        open_ = false;
        return;
    }
    db_.beforeChange();
    db_.connection_->begin(false);
}

Database::Transaction::~Transaction()
{
    if (open_)
        db_.connection_->rollback();
}

void Database::Transaction::commit()
{
    if (!open_)
        return;
    db_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

} // namespace vi23
