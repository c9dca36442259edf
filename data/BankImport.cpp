#include "BankImport.h"
#include "Database.h"
#include "Error.h"
#include "SafeOutput.h"
#include "Schema.h"
#include "SettlementKinds.h"
#include "Today.h"
#include "Upgrade.h"

#include "RuCollation.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <optional>

namespace vi23 {

namespace {

const QString& kIncome = kIncomeSettlement;
const QString& kExpense = kExpenseSettlement;

struct Operation {
    QString text;
    QString kind;
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

int widthOf(const char16_t* table, const char16_t* field)
{
    const TableDef& def = schemaTable(table);
    return def.fields[size_t(def.fieldIndex(field))].size;
}

QString bankText(const PaymentParty& side)
{
    const int width = widthOf(u"k", u"b");
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
    const int width = widthOf(u"k", u"unn");
    if (both.size() <= width)
        return both;
    return side.inn.size() <= width ? side.inn : QString();
}

// The enterprise as its requisites name it: its accounts and ИНН.
struct Requisites {
    QStringList accounts;
    QStringList inns;

    explicit Requisites(Database& db)
    {
        Statement rows = db.prepare(QStringLiteral("SELECT rs, unn FROM pr1"));
        while (rows.step()) {
            if (const QString account = rows.text(0).trimmed(); !account.isEmpty())
                accounts << account;
            if (const QString inn = innOf(rows.text(1)); !inn.isEmpty())
                inns << inn;
        }
    }
    bool holds(const PaymentParty& party) const
    {
        return accounts.contains(party.account) || (!party.inn.isEmpty() && inns.contains(innOf(party.inn)));
    }
};

// Counts the work done and asks now and then whether to go on.
class Steps {
public:
    Steps(const ImportProgress& progress, size_t total) : progress_(progress), total_(int(total)) {}
    void next()
    {
        ++done_;
        if (progress_ && (done_ % 256 == 0 || done_ == total_) && !progress_(done_, total_))
            throw ImportCancelled();
    }

private:
    const ImportProgress& progress_;
    int total_;
    int done_ = 0;
};

class Planner {
public:
    Planner(Database& db, const BankStatement& statement) : db_(db), statement_(statement)
    {
        if (!tableExists(db, QStringLiteral("bank_imports")) || !tableExists(db, QStringLiteral("import_rules")))
            throw UserError(QStringLiteral("Выписка не загружена: файл базы данных не удалось дополнить при открытии "
                                           "(он был занят другой программой или открыт только для чтения). "
                                           "Закройте другие программы и откройте базу заново."));
        own_ = statement.accounts + Requisites(db).accounts;
        Statement ops = db.prepare(QStringLiteral("SELECT sr, vr FROM sr WHERE sr IS NOT NULL ORDER BY rowid"));
        while (ops.step())
            operations_.push_back({ops.text(0), ops.text(1)});
        Statement ks = db.prepare(QStringLiteral("SELECT k, unn FROM k WHERE k IS NOT NULL ORDER BY rowid"));
        while (ks.step())
            remember(ks.text(0), innOf(ks.text(1)));
        Statement rules = db.prepare(QStringLiteral("SELECT kind, pattern, sr FROM import_rules ORDER BY n"));
        while (rules.step())
            rules_.push_back({rules.text(0), rules.text(1), rules.text(2)});
    }

    ImportPlan plan(const ImportProgress& progress)
    {
        ImportPlan result;
        result.encoding = statement_.encoding;
        result.lines.reserve(statement_.documents.size());
        Steps steps(progress, statement_.documents.size());
        for (const StatementDocument& doc : statement_.documents) {
            result.lines.push_back(decide(doc, result));
            steps.next();
        }
        return result;
    }

private:
    // Which way the money went and on which day the bank moved it; false when no account is ours.
    bool direction(const StatementDocument& doc, ImportLine& line) const
    {
        const bool payerOurs = own_.contains(doc.payer.account);
        const bool payeeOurs = own_.contains(doc.payee.account);
        if (doc.credited.isValid() && !doc.debited.isValid())
            line.incoming = true;
        else if (doc.debited.isValid() && !doc.credited.isValid())
            line.incoming = false;
        else if (payeeOurs || payerOurs)
            line.incoming = payeeOurs;
        else
            return false;
        const QDate booked = line.incoming ? doc.credited : doc.debited;
        if (booked.isValid())
            line.date = booked;
        return true;
    }

    ImportLine decide(const StatementDocument& doc, ImportPlan& plan)
    {
        ImportLine line;
        line.line = doc.line;
        line.number = doc.number;
        line.sum = doc.sum;
        line.purpose = doc.purpose;
        line.date = doc.date;
        if (own_.contains(doc.payer.account) && own_.contains(doc.payee.account))
            return skip(line, QStringLiteral("перевод между своими счетами"));
        if (!direction(doc, line))
            return skip(line, QStringLiteral("не определено направление: ни один счёт документа не указан как свой"));
        const PaymentParty& ours = line.incoming ? doc.payee : doc.payer;
        const PaymentParty& other = line.incoming ? doc.payer : doc.payee;
        line.account = ours.account;
        line.counterparty = other.name;
        if (line.account.size() > widthOf(u"bank_imports", u"acc"))
            throw UserError(statementLineError(doc.line, QStringLiteral("номер счёта «%1» длиннее %2 знаков")
                                                             .arg(line.account.left(60))
                                                             .arg(widthOf(u"bank_imports", u"acc"))));
        if (line.number.size() > widthOf(u"bank_imports", u"nn"))
            return skip(line, QStringLiteral("номер документа длиннее %1 знаков").arg(widthOf(u"bank_imports", u"nn")));
        const QString key = QStringList{line.account, line.number, line.date.toString(Qt::ISODate),
                                        QString::number(line.sum.units()), line.incoming ? kIncome : kExpense}
                                .join(u'\x1f');
        if (seen_.contains(key))
            return skip(line, QStringLiteral("документ повторяется в файле"));
        if (alreadyImported(line))
            return skip(line, QStringLiteral("уже загружен"));
        return decideCounterparty(line, other, key, plan);
    }

    ImportLine decideCounterparty(ImportLine& line, const PaymentParty& other, const QString& key, ImportPlan& plan)
    {
        const bool known = findCounterparty(other, line);
        const int width = widthOf(u"k", u"k");
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
            remember(other.name, innOf(other.inn));
            line.newCounterparty = true;
        }
        seen_.insert(key);
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
        if (!imported_)
            imported_.emplace(db_.prepare(QStringLiteral(
                "SELECT 1 FROM bank_imports b JOIN jur j ON j.n = b.jur "
                "WHERE b.acc = ?1 AND b.nn = ?2 AND b.dd = ?3 AND b.s = ?4 AND b.dir = ?5")));
        Statement& query = *imported_;
        query.reset();
        query.bind(1, line.account);
        query.bind(2, line.number);
        query.bind(3, line.date);
        query.bind(4, line.sum);
        query.bind(5, line.incoming ? kIncome : kExpense);
        const bool found = query.step();
        query.reset();
        return found;
    }

    // A counterparty of the list or of this statement, under its ИНН and its name; the first one wins.
    void remember(const QString& name, const QString& inn)
    {
        if (!inn.isEmpty() && !byInn_.contains(inn))
            byInn_.insert(inn, name);
        const QByteArray key = ruSortKey(name);
        if (!byName_.contains(key))
            byName_.insert(key, name);
    }

    // By ИНН first, then by name ignoring case; among the list and those this statement adds.
    bool findCounterparty(const PaymentParty& other, ImportLine& line) const
    {
        const QString inn = innOf(other.inn);
        auto byInn = inn.isEmpty() ? byInn_.end() : byInn_.find(inn);
        if (byInn != byInn_.end()) {
            line.counterparty = *byInn;
            return true;
        }
        if (auto byName = byName_.find(ruSortKey(other.name)); byName != byName_.end() && !other.name.isEmpty()) {
            line.counterparty = *byName;
            return true;
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
    QHash<QString, QString> byInn_;
    QHash<QByteArray, QString> byName_;
    std::vector<Rule> rules_;
    QSet<QString> seen_;
    std::optional<Statement> imported_;
};

} // namespace

int ImportPlan::added() const
{
    return int(std::count_if(lines.begin(), lines.end(), [](const ImportLine& l) { return l.add; }));
}

int ImportPlan::skipped() const { return int(lines.size()) - added(); }

QString foreignStatement(Database& db, const BankStatement& statement)
{
    const Requisites requisites(db);
    const bool declared = !statement.accounts.isEmpty();
    if (declared) {
        for (const QString& account : statement.accounts) {
            if (requisites.accounts.contains(account))
                return {};
        }
    }
    // The statement's side of each document: the party holding its account, or any party when the
    // statement names no account.
    const PaymentParty* owner = nullptr;
    for (const StatementDocument& doc : statement.documents) {
        for (const PaymentParty* party : {&doc.payer, &doc.payee}) {
            if (declared && !statement.accounts.contains(party->account))
                continue;
            if (requisites.holds(*party))
                return {};
            // The owner as the statement names it best: with a ИНН where any party has one.
            if (declared && (!owner || (owner->inn.isEmpty() && !party->inn.isEmpty())))
                owner = party;
        }
    }
    if (!declared && statement.documents.empty())
        return {};
    const QString where = QStringLiteral("на вкладке «Данные пользователя»");
    if (!declared)
        return QStringLiteral("Выписка не относится к предприятию: ни один счёт и ИНН её документов не совпадает "
                              "с реквизитами %1").arg(where);
    QStringList whose;
    if (owner && !owner->name.isEmpty())
        whose << owner->name;
    if (owner && !owner->inn.isEmpty())
        whose << QStringLiteral("ИНН ") + owner->inn;
    if (whose.isEmpty())
        whose << QStringLiteral("владелец не указан");
    return QStringLiteral("Выписка по счёту %1 (%2) не относится к предприятию: ни её счёт, ни ИНН не совпадают "
                          "с реквизитами %3").arg(statement.accounts.join(QStringLiteral(", ")), whose.join(QStringLiteral(", ")), where);
}

ImportPlan planImport(Database& db, const BankStatement& statement, const PlanOptions& options)
{
    if (!options.foreignAccepted) {
        if (const QString foreign = foreignStatement(db, statement); !foreign.isEmpty())
            throw UserError(QStringLiteral("Выписка не загружена. %1").arg(foreign));
    }
    return Planner(db, statement).plan(options.progress);
}

namespace {

void insertCounterparties(Database& db, const ImportPlan& plan)
{
    Statement counterparty = db.prepare(QStringLiteral("INSERT INTO k (k, dd, b, unn) VALUES (?1, ?2, ?3, ?4)"));
    for (const NewCounterparty& c : plan.counterparties) {
        counterparty.reset();
        counterparty.bind(1, c.name);
        counterparty.bind(2, today());
        counterparty.bind(3, c.bank.isEmpty() ? Value() : Value(c.bank));
        counterparty.bind(4, c.unn.isEmpty() ? Value() : Value(c.unn));
        counterparty.run();
    }
}

} // namespace

int applyImport(Database& db, const ImportPlan& plan, ApplyMode mode, const ImportProgress& progress)
{
    Database::Transaction transaction(db);
    insertCounterparties(db, plan);
    Statement journal = db.prepareInsert(QStringLiteral(
        "INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?1, ?2, 'ПП', ?3, ?4, ?5, ?6)"), QStringLiteral("n"));
    Statement record = db.prepare(QStringLiteral(
        "INSERT INTO bank_imports (acc, nn, dd, s, dir, jur) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    auto textOrNull = [](const QString& text) { return text.isEmpty() ? Value() : Value(text); };
    int added = 0;
    Steps steps(progress, plan.lines.size());
    for (const ImportLine& line : plan.lines) {
        steps.next();
        if (!line.add)
            continue;
        journal.reset();
        journal.bind(1, line.date);
        journal.bind(2, line.number);
        journal.bind(3, textOrNull(line.operation));
        journal.bind(4, textOrNull(line.kind));
        journal.bind(5, line.sum);
        journal.bind(6, textOrNull(line.counterparty));
        const long long row = journal.runInsert();
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
    if (mode == ApplyMode::Store)
        transaction.commit();
    return added;
}

BankStatement readBankStatementFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Не удалось открыть файл выписки: ") + fileReadErrorText(path));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw UserError(QStringLiteral("Не удалось прочитать файл выписки: ") + fileReadErrorText(path));
    return parseBankStatement(bytes);
}

ImportPlan planImportFile(Database& db, const QString& path)
{
    return planImport(db, readBankStatementFile(path));
}

} // namespace vi23
