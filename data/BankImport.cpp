#include "BankImport.h"
#include "Database.h"
#include "Error.h"
#include "Schema.h"
#include "Upgrade.h"

#include <QFile>

namespace vi23 {

namespace {

const QString kIncome = QStringLiteral("Приход");
const QString kExpense = QStringLiteral("Расход");

struct Operation {
    QString text;
    QString kind;
};

struct Counterparty {
    QString name;
    QString inn;
};

struct Rule {
    QString kind;
    QString pattern;
    QString operation;
};

// The ИНН part of "ИНН/КПП"; a ИНН of zeros means none.
QString innOf(const QString& unn)
{
    QString inn = unn.section(u'/', 0, 0).trimmed();
    return inn.count(u'0') == inn.size() ? QString() : inn;
}

bool sameText(const QString& a, const QString& b) { return compareNoCase(a, b) == 0; }

std::vector<QString> column(Database& db, const QString& sql)
{
    std::vector<QString> values;
    Statement query = db.prepare(sql);
    while (query.step())
        values.push_back(query.text(0));
    return values;
}

QString bankText(const PaymentParty& side)
{
    const int width = schemaTable(u"k").fields[size_t(schemaTable(u"k").fieldIndex(u"b"))].size;
    QStringList candidates;
    if (!side.account.isEmpty()) {
        if (!side.bank.isEmpty())
            candidates << QStringLiteral("р/с %1 в %2").arg(side.account, side.bank);
        if (!side.bik.isEmpty())
            candidates << QStringLiteral("р/с %1, БИК %2").arg(side.account, side.bik);
        candidates << QStringLiteral("р/с %1").arg(side.account);
    } else {
        candidates << side.bank;
    }
    // The fullest form that fits the field; text is never cut.
    for (const QString& candidate : candidates) {
        if (candidate.size() <= width)
            return candidate;
    }
    return {};
}

QString unnText(const PaymentParty& side)
{
    const QString kpp = side.kpp.count(u'0') == side.kpp.size() ? QString() : side.kpp;
    const QString both = kpp.isEmpty() ? side.inn : side.inn + u'/' + kpp;
    if (both.size() <= 20)
        return both;
    return side.inn.size() <= 20 ? side.inn : QString();
}

class Planner {
public:
    Planner(Database& db, const BankStatement& statement) : db_(db), statement_(statement)
    {
        if (!tableExists(db, QStringLiteral("bank_imports")) || !tableExists(db, QStringLiteral("import_rules")))
            throw UserError(QStringLiteral("Выписка не загружена: файл базы данных не удалось дополнить при открытии "
                                           "(он был занят другой программой или открыт только для чтения). "
                                           "Закройте другие программы и откройте базу заново."));
        own_ = statement.accounts;
        for (const QString& account : column(db, QStringLiteral("SELECT rs FROM pr1 WHERE rs IS NOT NULL AND rs <> ''")))
            own_ << account.trimmed();
        Statement ops = db.prepare(QStringLiteral("SELECT sr, vr FROM sr WHERE sr IS NOT NULL ORDER BY rowid"));
        while (ops.step())
            operations_.push_back({ops.text(0), ops.text(1)});
        Statement ks = db.prepare(QStringLiteral("SELECT k, unn FROM k WHERE k IS NOT NULL ORDER BY rowid"));
        while (ks.step())
            counterparties_.push_back({ks.text(0), innOf(ks.text(1))});
        Statement rules = db.prepare(QStringLiteral("SELECT kind, pattern, sr FROM import_rules ORDER BY n"));
        while (rules.step())
            rules_.push_back({rules.text(0), rules.text(1), rules.text(2)});
    }

    ImportPlan plan()
    {
        ImportPlan result;
        result.encoding = statement_.encoding;
        for (const StatementDocument& doc : statement_.documents)
            result.lines.push_back(decide(doc, result));
        return result;
    }

private:
    ImportLine decide(const StatementDocument& doc, ImportPlan& plan)
    {
        ImportLine line;
        line.line = doc.line;
        line.number = doc.number;
        line.sum = doc.sum;
        line.purpose = doc.purpose;
        line.date = doc.date;
        const bool payerOurs = own_.contains(doc.payer.account);
        const bool payeeOurs = own_.contains(doc.payee.account);
        if (payerOurs && payeeOurs)
            return skip(line, QStringLiteral("перевод между своими счетами"));
        if (doc.credited.isValid() && !doc.debited.isValid())
            line.incoming = true;
        else if (doc.debited.isValid() && !doc.credited.isValid())
            line.incoming = false;
        else if (payeeOurs || payerOurs)
            line.incoming = payeeOurs;
        else
            return skip(line, QStringLiteral("не определено направление: ни один счёт документа не указан как свой"));
        const QDate booked = line.incoming ? doc.credited : doc.debited;
        if (booked.isValid())
            line.date = booked;
        const PaymentParty& ours = line.incoming ? doc.payee : doc.payer;
        const PaymentParty& other = line.incoming ? doc.payer : doc.payee;
        line.account = ours.account;
        line.counterparty = other.name;

        if (line.number.size() > 20)
            return skip(line, QStringLiteral("номер документа длиннее 20 знаков"));
        const QString key = QStringList{line.account, line.number, line.date.toString(Qt::ISODate),
                                        QString::number(line.sum.units()), line.incoming ? kIncome : kExpense}
                                .join(u'\x1f');
        if (seen_.contains(key))
            return skip(line, QStringLiteral("документ повторяется в файле"));
        if (alreadyImported(line))
            return skip(line, QStringLiteral("уже загружен"));

        const bool known = findCounterparty(other, line);
        const int width = schemaTable(u"k").fields[0].size;
        if (!known && other.name.size() > width)
            return skip(line, QStringLiteral("наименование контрагента длиннее %1 знаков: внесите его в список "
                                             "под кратким наименованием с ИНН %2 и загрузите выписку снова")
                                  .arg(width)
                                  .arg(other.inn));
        // Without an operation the books would not count the row, as the journal tab would not save it.
        if (!chooseOperation(line, other))
            return skip(line, QStringLiteral("нет типовой операции вида «%1»: добавьте её и загрузите выписку снова")
                                  .arg(line.incoming ? kIncome : kExpense));
        if (!known) {
            plan.counterparties.push_back({other.name, other.inn, unnText(other), bankText(other)});
            created_.push_back({other.name, innOf(other.inn)});
            line.newCounterparty = true;
        }
        seen_ << key;
        line.add = true;
        return line;
    }

    static ImportLine skip(ImportLine& line, const QString& reason)
    {
        line.add = false;
        line.reason = reason;
        return line;
    }

    bool alreadyImported(const ImportLine& line)
    {
        Statement query = db_.prepare(QStringLiteral(
            "SELECT 1 FROM bank_imports b JOIN jur j ON j.n = b.jur "
            "WHERE b.acc = ?1 AND b.nn = ?2 AND b.dd = ?3 AND b.s = ?4 AND b.dir = ?5"));
        query.bind(1, line.account);
        query.bind(2, line.number);
        query.bind(3, line.date);
        query.bind(4, line.sum);
        query.bind(5, line.incoming ? kIncome : kExpense);
        return query.step();
    }

    // By ИНН first, then by name ignoring case; among the list and those this statement adds.
    bool findCounterparty(const PaymentParty& other, ImportLine& line)
    {
        const QString inn = innOf(other.inn);
        for (const auto* list : {&counterparties_, &created_}) {
            for (const Counterparty& known : *list) {
                if (!inn.isEmpty() && known.inn == inn) {
                    line.counterparty = known.name;
                    return true;
                }
            }
        }
        for (const auto* list : {&counterparties_, &created_}) {
            for (const Counterparty& known : *list) {
                if (sameText(known.name, other.name)) {
                    line.counterparty = known.name;
                    return true;
                }
            }
        }
        return other.name.isEmpty();
    }

    // The first rule that matches and names an operation of the payment's kind; else the first
    // operation of that kind. A rule never books money in as an expense or out as income.
    bool chooseOperation(ImportLine& line, const PaymentParty& other)
    {
        const QString wanted = line.incoming ? kIncome : kExpense;
        auto kindOf = [this](const QString& text) -> std::optional<QString> {
            for (const Operation& op : operations_) {
                if (sameText(op.text, text))
                    return op.kind;
            }
            return std::nullopt;
        };
        for (const Rule& rule : rules_) {
            if (rule.pattern.isEmpty())
                continue;
            bool matches = false;
            if (sameText(rule.kind, QStringLiteral("Назначение")))
                matches = line.purpose.contains(rule.pattern, Qt::CaseInsensitive);
            else if (sameText(rule.kind, QStringLiteral("Контрагент")))
                matches = line.counterparty.contains(rule.pattern, Qt::CaseInsensitive) ||
                          other.name.contains(rule.pattern, Qt::CaseInsensitive) || (!other.inn.isEmpty() && other.inn == rule.pattern);
            std::optional<QString> kind = matches ? kindOf(rule.operation) : std::nullopt;
            if (kind && sameText(kind->trimmed(), wanted)) {
                line.operation = rule.operation;
                line.kind = wanted;
                return true;
            }
        }
        for (const Operation& op : operations_) {
            if (sameText(op.kind.trimmed(), wanted)) {
                line.operation = op.text;
                line.kind = wanted;
                return true;
            }
        }
        return false;
    }

    Database& db_;
    const BankStatement& statement_;
    QStringList own_;
    std::vector<Operation> operations_;
    std::vector<Counterparty> counterparties_;
    std::vector<Counterparty> created_;
    std::vector<Rule> rules_;
    QStringList seen_;
};

} // namespace

int ImportPlan::added() const
{
    return int(std::count_if(lines.begin(), lines.end(), [](const ImportLine& l) { return l.add; }));
}

int ImportPlan::skipped() const { return int(lines.size()) - added(); }

ImportPlan planImport(Database& db, const BankStatement& statement)
{
    return Planner(db, statement).plan();
}

int applyImport(Database& db, const ImportPlan& plan)
{
    Database::Transaction transaction(db);
    Statement counterparty = db.prepare(QStringLiteral("INSERT INTO k (k, dd, b, unn) VALUES (?1, ?2, ?3, ?4)"));
    for (const NewCounterparty& c : plan.counterparties) {
        counterparty.reset();
        counterparty.bind(1, c.name);
        counterparty.bind(2, QDate::currentDate());
        counterparty.bind(3, c.bank.isEmpty() ? Value() : Value(c.bank));
        counterparty.bind(4, c.unn.isEmpty() ? Value() : Value(c.unn));
        counterparty.run();
    }
    Statement journal = db.prepare(QStringLiteral(
        "INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?1, ?2, 'ПП', ?3, ?4, ?5, ?6)"));
    Statement record = db.prepare(QStringLiteral(
        "INSERT INTO bank_imports (acc, nn, dd, s, dir, jur) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    auto textOrNull = [](const QString& text) { return text.isEmpty() ? Value() : Value(text); };
    int added = 0;
    for (const ImportLine& line : plan.lines) {
        if (!line.add)
            continue;
        journal.reset();
        journal.bind(1, line.date);
        journal.bind(2, line.number);
        journal.bind(3, textOrNull(line.operation));
        journal.bind(4, textOrNull(line.kind));
        journal.bind(5, line.sum);
        journal.bind(6, textOrNull(line.counterparty));
        journal.run();
        const long long row = db.lastInsertRowId();
        record.reset();
        record.bind(1, line.account);
        record.bind(2, line.number);
        record.bind(3, line.date);
        record.bind(4, line.sum);
        record.bind(5, line.incoming ? kIncome : kExpense);
        record.bind(6, Value(std::int64_t(row)));
        record.run();
        ++added;
    }
    transaction.commit();
    return added;
}

BankStatement readBankStatementFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Не удалось открыть файл выписки %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw UserError(QStringLiteral("Не удалось прочитать файл выписки %1: %2").arg(path, file.errorString()));
    return parseBankStatement(bytes);
}

ImportPlan planImportFile(Database& db, const QString& path)
{
    return planImport(db, readBankStatementFile(path));
}

} // namespace vi23
