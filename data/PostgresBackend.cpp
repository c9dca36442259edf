// The server store: PostgreSQL through libpq. Statements come written for the file and are made the
// server's by data/SqlDialect; values travel as text, typed by the value's kind.
#include "Error.h"
#include "RuFormat.h"
#include "StoreBackend.h"

#include <QByteArray>
#include <cstring>
#include <libpq-fe.h>
#include <vector>

namespace vi23 {

namespace {

// Type ids of the server (pg_type) for the parameters the program binds.
constexpr Oid kInt8 = 20;
constexpr Oid kFloat8 = 701;
constexpr Oid kDate = 1082;
constexpr Oid kFloat4 = 700;
constexpr Oid kNumeric = 1700;
constexpr Oid kText = 25;

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

QString serverMessage(const PGconn* conn, const PGresult* result)
{
    const char* text = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    return QString::fromUtf8(text ? text : "").trimmed();
}

// The store's errors in the words of the file's: a constraint, a lock or a lost connection.
[[noreturn]] void throwServerError(const PGconn* conn, const PGresult* result)
{
    const QString detail = serverMessage(conn, result);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const QString code = QString::fromLatin1(state ? state : "");
    const QString unsaved = OpeningStore::now() ? QString() : QStringLiteral("; изменение не сохранено");
    if (PQstatus(conn) != CONNECTION_OK || code.startsWith(u"08"))
        throw UserError(QStringLiteral("нет связи с сервером базы данных%1 (%2)").arg(unsaved, detail));
    if (code == u"40001" || code == u"40P01" || code == u"55P03")
        throw UserError(QStringLiteral("база данных занята другим рабочим местом%1, повторите действие позже").arg(unsaved));
    if (code.startsWith(u"23") || code.startsWith(u"22"))
        throw UserError(QStringLiteral("значение не подходит для поля (%1)").arg(detail));
    if (code == u"42501")
        throw UserError(QStringLiteral("нет прав на это действие в базе данных (%1)").arg(detail));
    throw UserError(detail);
}


class PostgresStatement final : public StatementBackend {
public:
    PostgresStatement(PGconn* conn, int* changes, QString sql) : conn_(conn), changes_(changes), sql_(std::move(sql)) {}

    void bind(int index, const Value& value) override
    {
        if (index < 1)
            throw UserError(QStringLiteral("неверный номер параметра запроса: %1").arg(index));
        if (size_t(index) > values_.size()) {
            values_.resize(size_t(index));
            // A parameter left unbound (a query of a period read for all time) is an empty text.
            types_.resize(size_t(index), kText);
            nulls_.resize(size_t(index), true);
        }
        const size_t i = size_t(index) - 1;
        nulls_[i] = value.isNull();
        switch (value.kind()) {
        case Value::Kind::Null: types_[i] = 0; values_[i].clear(); break;
        case Value::Kind::Integer: types_[i] = kInt8; values_[i] = QByteArray::number(qint64(value.integer())); break;
        case Value::Kind::Money: types_[i] = kInt8; values_[i] = QByteArray::number(qint64(value.money().units())); break;
        case Value::Kind::Real: types_[i] = kFloat8; values_[i] = QByteArray::number(value.real(), 'g', 17); break;
        case Value::Kind::Date: types_[i] = kDate; values_[i] = ru::isoDate(value.date()).toUtf8(); break;
        case Value::Kind::Text: types_[i] = 0; values_[i] = value.text().toUtf8(); break;
        }
    }

    bool step() override
    {
        if (!result_)
            execute();
        row_ = started_ ? row_ + 1 : 0;
        started_ = true;
        return row_ < PQntuples(result_.get());
    }

    void reset() override
    {
        result_.reset();
        started_ = false;
        values_.clear();
        types_.clear();
        nulls_.clear();
    }

    long long runInsert() override
    {
        if (!step())
            throw UserError(QStringLiteral("сервер не вернул номер новой записи"));
        return integer(0);
    }

    int columnCount() const override
    {
        // The statement runs with what is bound so far, the server telling its columns.
        if (!result_)
            const_cast<PostgresStatement*>(this)->execute();
        return PQnfields(result_.get());
    }
    bool isNull(int column) const override { return PQgetisnull(result_.get(), row_, column) != 0; }
    bool isFloat(int column) const override
    {
        const Oid type = PQftype(result_.get(), column);
        return type == kFloat8 || type == kFloat4 || (type == kNumeric && std::strchr(raw(column), '.') != nullptr);
    }
    long long integer(int column) const override
    {
        bool ok = false;
        const QByteArray text = QByteArray::fromRawData(raw(column), PQgetlength(result_.get(), row_, column));
        const long long whole = text.toLongLong(&ok);
        return ok ? whole : (long long)(text.toDouble());
    }
    double real(int column) const override { return QByteArray(raw(column)).toDouble(); }
    QString text(int column) const override
    {
        return QString::fromUtf8(raw(column), PQgetlength(result_.get(), row_, column));
    }

private:
    const char* raw(int column) const { return PQgetvalue(result_.get(), row_, column); }

    void execute()
    {
        std::vector<const char*> pointers(values_.size());
        for (size_t i = 0; i < values_.size(); ++i)
            pointers[i] = nulls_[i] ? nullptr : values_[i].constData();
        const QByteArray sql = sql_.toUtf8();
        result_.reset(PQexecParams(conn_, sql.constData(), int(values_.size()), types_.data(), pointers.data(), nullptr,
                                   nullptr, 0));
        const ExecStatusType status = PQresultStatus(result_.get());
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            Result failed = std::move(result_);
            throwServerError(conn_, failed.get());
        }
        const char* tuples = PQcmdTuples(result_.get());
        *changes_ = tuples && *tuples ? std::atoi(tuples) : 0;
    }

    PGconn* conn_;
    int* changes_;
    QString sql_;
    std::vector<QByteArray> values_;
    std::vector<Oid> types_;
    std::vector<bool> nulls_;
    Result result_;
    bool started_ = false;
    int row_ = 0;
};

class PostgresConnection final : public ConnectionBackend {
public:
    explicit PostgresConnection(PGconn* conn) : conn_(conn) {}
    ~PostgresConnection() override { PQfinish(conn_); }

    Backend backend() const override { return Backend::PostgreSQL; }

    void exec(const QString& sql) override
    {
        Result result(PQexec(conn_, toServerSql(sql).toUtf8().constData()));
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throwServerError(conn_, result.get());
        const char* tuples = PQcmdTuples(result.get());
        changes_ = tuples && *tuples ? std::atoi(tuples) : 0;
    }

    std::unique_ptr<StatementBackend> prepare(const QString& sql) override
    {
        return std::make_unique<PostgresStatement>(conn_, &changes_, toServerSql(sql));
    }

    int changes() const override { return changes_; }
    bool inTransaction() const override { return PQtransactionStatus(conn_) != PQTRANS_IDLE; }

    bool begin(bool) override
    {
        exec(QStringLiteral("BEGIN"));
        return true;
    }

    void rollback() noexcept override { PQclear(PQexec(conn_, "ROLLBACK")); }
    void setBusyTimeout(int milliseconds) override
    {
        exec(QStringLiteral("SET lock_timeout = %1").arg(milliseconds));
    }

    QList<QPair<QString, QString>> columns(const QString& table) override
    {
        // From the catalog rather than information_schema, whose views take tens of milliseconds a
        // table; every data set reads its table's columns on opening.
        PostgresStatement query(conn_, &changes_,
                                QStringLiteral("SELECT a.attname, CASE WHEN a.atttypid = 'varchar'::regtype AND a.atttypmod > 4"
                                               " THEN 'TEXT(' || (a.atttypmod - 4) || ')' ELSE format_type(a.atttypid, NULL) END"
                                               " FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid"
                                               " WHERE c.relnamespace = current_schema()::regnamespace AND c.relname = $1"
                                               " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum"));
        query.bind(1, table);
        QList<QPair<QString, QString>> found;
        while (query.step())
            found.append({query.text(0), query.text(1)});
        return found;
    }

    bool hasTable(const QString& table) override
    {
        return exists(QStringLiteral("SELECT 1 FROM pg_class WHERE relnamespace = current_schema()::regnamespace"
                                     " AND relname = $1 AND relkind IN ('r', 'p', 'v')"),
                      table);
    }

    bool hasIndex(const QString& index) override
    {
        return exists(QStringLiteral("SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() AND indexname = $1"), index);
    }

private:
    bool exists(const QString& sql, const QString& name)
    {
        PostgresStatement query(conn_, &changes_, sql);
        query.bind(1, name);
        return query.step();
    }

    PGconn* conn_;
    int changes_ = 0;
};

// A password belongs in ~/.pgpass or PGPASSWORD, never in a text the program shows or keeps.
void refusePassword(const QString& location)
{
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(location.toUtf8().constData(), &error);
    if (!options) {
        const QString why = QString::fromUtf8(error ? error : "").trimmed();
        PQfreemem(error);
        throw UserError(QStringLiteral("Неверная строка подключения к серверу: %1").arg(why));
    }
    bool hasPassword = false;
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (qstrcmp(o->keyword, "password") == 0 && o->val && *o->val)
            hasPassword = true;
    }
    PQconninfoFree(options);
    if (hasPassword)
        throw UserError(QStringLiteral("Пароль в строке подключения не принимается: укажите его в файле ~/.pgpass "
                                       "или в переменной окружения PGPASSWORD"));
}

} // namespace

std::unique_ptr<ConnectionBackend> openServerConnection(const QString& location)
{
    refusePassword(location);
    PGconn* conn = PQconnectdb(location.toUtf8().constData());
    auto connection = std::make_unique<PostgresConnection>(conn);
    if (!conn || PQstatus(conn) != CONNECTION_OK)
        throw UserError(QStringLiteral("Не удалось подключиться к серверу базы данных: %1").arg(serverMessage(conn, nullptr)));
    if (PQsetClientEncoding(conn, "UTF8") != 0)
        throw UserError(QStringLiteral("Сервер базы данных не принимает текст в UTF-8"));
    connection->exec(QStringLiteral("SET datestyle = 'ISO, YMD'; SET client_min_messages = warning"));
    return connection;
}

} // namespace vi23
