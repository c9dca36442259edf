#include "BankStatement.h"
#include "Error.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <array>
#include <map>

namespace vi23 {

namespace {

constexpr std::array<char16_t, 128> kWindows1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

constexpr std::array<char16_t, 128> kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};

bool hasHighBytes(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    }
    return false;
}

// Cyrillic letters in a decoding, less the box-drawing signs that a wrong code page produces.
int cyrillicScore(const QString& text)
{
    int score = 0;
    for (QChar c : text) {
        if (c.unicode() >= 0x0410 && c.unicode() <= 0x044F)
            ++score;
        else if (c.unicode() >= 0x2500 && c.unicode() <= 0x25A0)
            score -= 4;
    }
    return score;
}

// The file's text: UTF-8 by its mark or when the bytes are valid UTF-8; else the code page its
// "Кодировка" line names ("DOS" for CP866), else the one whose decoding reads as Cyrillic.
QString decodeStatement(const QByteArray& raw, QString& encoding)
{
    if (raw.startsWith("\xEF\xBB\xBF")) {
        encoding = QStringLiteral("UTF-8");
        return QString::fromUtf8(raw.mid(3));
    }
    if (hasHighBytes(raw)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(raw);
        if (!utf8.hasError()) {
            encoding = QStringLiteral("UTF-8");
            return text;
        }
    } else {
        encoding = QStringLiteral("Windows-1251");
        return QString::fromLatin1(raw);
    }
    const QString windows = decodeCodePage(raw, CodePage::Windows1251);
    const QString dos = decodeCodePage(raw, CodePage::Cp866);
    static const QRegularExpression declared(QStringLiteral("^\\s*Кодировка\\s*=\\s*(\\S+)"),
                                             QRegularExpression::MultilineOption);
    for (const QString* text : {&windows, &dos}) {
        QRegularExpressionMatch match = declared.match(*text);
        if (!match.hasMatch())
            continue;
        QString name = match.captured(1);
        if (name.compare(u"DOS", Qt::CaseInsensitive) == 0 || name == u"866") {
            encoding = QStringLiteral("CP866");
            return dos;
        }
        if (name.compare(u"Windows", Qt::CaseInsensitive) == 0 || name == u"1251") {
            encoding = QStringLiteral("Windows-1251");
            return windows;
        }
    }
    if (cyrillicScore(dos) > cyrillicScore(windows)) {
        encoding = QStringLiteral("CP866");
        return dos;
    }
    encoding = QStringLiteral("Windows-1251");
    return windows;
}

QString amount(Money sum) { return sum.toFixed(2); }

// Keys are letters, digits and a few signs; a key of another code page reads as other signs.
bool readableKey(QStringView key)
{
    if (key.isEmpty())
        return false;
    for (QChar c : key) {
        const char16_t u = c.unicode();
        const bool latin = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
        const bool cyrillic = (u >= 0x0410 && u <= 0x044F) || u == 0x0401 || u == 0x0451;
        if (!latin && !cyrillic && !QStringView(u"_-. ").contains(c))
            return false;
    }
    return true;
}

// Why a value cannot be stored as text the books show: a control character, or a sign the file's
// code page does not have; empty when it can.
QString oddText(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            return QStringLiteral("управляющий символ с кодом %1").arg(int(u));
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode());
        if (u == 0xFFFD || (QChar::isSurrogate(u) && !pair))
            return QStringLiteral("знак, которого нет в кодировке файла");
        if (pair)
            ++i;
    }
    return {};
}

bool allZeros(const QString& text) { return !text.isEmpty() && text.count(u'0') == text.size(); }

// The keys of one section: the first value of each key and its line.
struct Section {
    int line = 0;
    QHash<QString, std::pair<QString, int>> values;

    void add(const QString& key, const QString& value, int atLine)
    {
        if (!values.contains(key))
            values.insert(key, {value, atLine});
    }
    QString value(const QString& key) const { return values.value(key).first; }
    int lineOf(const QString& key) const { return values.value(key).second; }
    QString firstOf(const QString& a, const QString& b) const
    {
        QString v = value(a);
        return v.isEmpty() ? value(b) : v;
    }
    // An empty or absent date is not set; anything else must be a date dd.MM.yyyy of 1900 to 2099.
    QDate date(const QString& key) const
    {
        auto [text, atLine] = values.value(key);
        if (text.isEmpty())
            return {};
        static const QRegularExpression form(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
        QRegularExpressionMatch match = form.match(text);
        QDate parsed = match.hasMatch()
                           ? QDate(match.captured(3).toInt(), match.captured(2).toInt(), match.captured(1).toInt())
                           : QDate();
        if (!parsed.isValid())
            throw UserError(statementLineError(atLine, QStringLiteral("неверная дата «%1» в поле %2").arg(text, key)));
        if (parsed.year() < 1900 || parsed.year() > 2099)
            throw UserError(statementLineError(atLine, QStringLiteral("дата «%1» в поле %2 вне 1900–2099 годов").arg(text, key)));
        return parsed;
    }
    // A sum of roubles with at most two decimals; a balance may be below zero.
    std::optional<Money> money(const QString& key, bool signedAllowed) const
    {
        auto [text, atLine] = values.value(key);
        if (text.isEmpty())
            return std::nullopt;
        static const QRegularExpression form(QStringLiteral("^-?\\d{1,15}([.,]\\d{1,2})?$"));
        std::optional<Money> sum = form.match(text).hasMatch() && (signedAllowed || !text.startsWith(u'-'))
                                       ? Money::tryParse(text)
                                       : std::nullopt;
        if (!sum)
            throw UserError(statementLineError(atLine, QStringLiteral("неверная сумма «%1» в поле %2").arg(text, key)));
        return sum;
    }
};

Money parseSum(const Section& section)
{
    const QString key = QStringLiteral("Сумма");
    const std::optional<Money> sum = section.money(key, false);
    if (!sum)
        throw UserError(statementLineError(section.line, QStringLiteral("у документа нет суммы")));
    if (sum->isZero())
        throw UserError(statementLineError(section.lineOf(key), QStringLiteral("сумма документа равна нулю")));
    return *sum;
}

// A ИНН is 10 or 12 digits, a КПП nine signs; nothing, or zeros, stand for none.
void checkCodes(const Section& section, const QString& side)
{
    static const QRegularExpression inn(QStringLiteral("^(\\d{10}|\\d{12})$"));
    static const QRegularExpression kpp(QStringLiteral("^\\d{4}[0-9A-Z]{2}\\d{3}$"));
    const struct {
        QString key;
        const QRegularExpression& form;
        const char16_t* what;
    } codes[] = {{side + QStringLiteral("ИНН"), inn, u"ИНН — 10 или 12 цифр"},
                 {side + QStringLiteral("КПП"), kpp, u"КПП — 9 знаков"}};
    for (const auto& code : codes) {
        const QString text = section.value(code.key);
        if (!text.isEmpty() && !allZeros(text) && !code.form.match(text).hasMatch())
            throw UserError(statementLineError(section.lineOf(code.key), QStringLiteral("«%1» в поле %2: %3")
                                                                  .arg(text, code.key, QString::fromUtf16(code.what))));
    }
}

PaymentParty party(const Section& section, const QString& side)
{
    checkCodes(section, side);
    PaymentParty p;
    p.account = section.firstOf(side + QStringLiteral("Счет"), side + QStringLiteral("РасчСчет"));
    p.name = section.firstOf(side + QStringLiteral("1"), side);
    p.inn = section.value(side + QStringLiteral("ИНН"));
    p.kpp = section.value(side + QStringLiteral("КПП"));
    p.bank = section.value(side + QStringLiteral("Банк1"));
    p.bik = section.value(side + QStringLiteral("БИК"));
    return p;
}

StatementDocument document(const Section& section, const QString& kind)
{
    StatementDocument doc;
    doc.line = section.line;
    doc.kind = kind;
    doc.number = section.value(QStringLiteral("Номер"));
    doc.date = section.date(QStringLiteral("Дата"));
    doc.sum = parseSum(section);
    doc.payer = party(section, QStringLiteral("Плательщик"));
    doc.payee = party(section, QStringLiteral("Получатель"));
    doc.debited = section.date(QStringLiteral("ДатаСписано"));
    doc.credited = section.date(QStringLiteral("ДатаПоступило"));
    doc.purpose = section.value(QStringLiteral("НазначениеПлатежа"));
    if (doc.number.isEmpty())
        throw UserError(statementLineError(section.line, QStringLiteral("у документа нет номера")));
    if (!doc.date.isValid() && !doc.debited.isValid() && !doc.credited.isValid())
        throw UserError(statementLineError(section.line, QStringLiteral("у документа нет даты")));
    return doc;
}

AccountSection accountSection(const Section& section)
{
    AccountSection account;
    account.line = section.line;
    account.account = section.value(QStringLiteral("РасчСчет"));
    account.from = section.date(QStringLiteral("ДатаНачала"));
    account.to = section.date(QStringLiteral("ДатаКонца"));
    account.opening = section.money(QStringLiteral("НачальныйОстаток"), true);
    account.in = section.money(QStringLiteral("ВсегоПоступило"), false);
    account.out = section.money(QStringLiteral("ВсегоСписано"), false);
    account.closing = section.money(QStringLiteral("КонечныйОстаток"), true);
    return account;
}

void addAccount(QStringList& accounts, const QString& account)
{
    if (!account.isEmpty() && !accounts.contains(account))
        accounts << account;
}

} // namespace

QString statementLineError(int line, const QString& text)
{
    return QStringLiteral("Выписка не загружена: строка %1: %2").arg(line).arg(text);
}

QString decodeCodePage(const QByteArray& bytes, CodePage page)
{
    const auto& table = page == CodePage::Cp866 ? kCp866 : kWindows1251;
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        text += b < 0x80 ? QChar(b) : QChar(table[b - 0x80]);
    }
    return text;
}

namespace {

// The lines of the file in order, each section gathered and closed by its end line.
class StatementReader {
public:
    explicit StatementReader(BankStatement& statement) : statement_(statement) {}

    void read(const QStringList& lines)
    {
        if (lines.isEmpty() || lines[0].trimmed() != u"1CClientBankExchange")
            throw UserError(statementLineError(1, QStringLiteral("нет заголовка «1CClientBankExchange»: это не файл выписки из банка")));
        for (int i = 1; i < lines.size() && in_ != In::Done; ++i)
            readLine(i + 1, lines[i].trimmed());
        if (in_ == In::Account || in_ == In::Document)
            throw UserError(statementLineError(int(lines.size()), QStringLiteral("секция из строки %1 не закрыта до конца файла").arg(section_.line)));
        if (in_ != In::Done)
            throw UserError(statementLineError(int(lines.size()), QStringLiteral("нет строки «КонецФайла»: файл выписки неполон")));
    }

private:
    enum class In { Header, Account, Document, Done };

    void readLine(int lineNo, const QString& line)
    {
        if (line.isEmpty())
            return;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = (eq < 0 ? line : line.left(eq)).trimmed();
        const QString value = eq < 0 ? QString() : line.mid(eq + 1).trimmed();
        if (!readableKey(key))
            throw UserError(statementLineError(lineNo, QStringLiteral("ключ «%1» не читается: эта часть файла в другой кодировке или повреждена")
                                                  .arg(key.left(40))));
        if (const QString odd = oddText(value); !odd.isEmpty())
            throw UserError(statementLineError(lineNo, QStringLiteral("в поле %1 %2").arg(key, odd)));
        if (key == u"СекцияРасчСчет") {
            open(In::Account, lineNo);
        } else if (key == u"СекцияДокумент") {
            open(In::Document, lineNo);
            kind_ = value;
        } else if (key == u"КонецРасчСчет") {
            close(In::Account, lineNo, QStringLiteral("«КонецРасчСчет» без начала секции счёта"));
            statement_.sections.push_back(accountSection(section_));
            addAccount(statement_.accounts, statement_.sections.back().account);
        } else if (key == u"КонецДокумента") {
            close(In::Document, lineNo, QStringLiteral("«КонецДокумента» без начала секции документа"));
            statement_.documents.push_back(document(section_, kind_));
        } else if (key == u"КонецФайла") {
            open(In::Done, lineNo);
        } else if (in_ == In::Header) {
            if (key == u"РасчСчет")
                addAccount(statement_.accounts, value);
            else if (key.startsWith(u"Дата") && !value.isEmpty())
                Section{lineNo, {{key, {value, lineNo}}}}.date(key);
        } else if (eq > 0) {
            section_.add(key, value, lineNo);
        }
    }

    void open(In next, int lineNo)
    {
        if (in_ == In::Account)
            throw UserError(statementLineError(lineNo, QStringLiteral("секция счёта из строки %1 не закрыта строкой «КонецРасчСчет»").arg(section_.line)));
        if (in_ == In::Document)
            throw UserError(statementLineError(lineNo, QStringLiteral("секция документа из строки %1 не закрыта строкой «КонецДокумента»").arg(section_.line)));
        in_ = next;
        section_ = Section{lineNo, {}};
    }

    void close(In current, int lineNo, const QString& unopened)
    {
        if (in_ != current)
            throw UserError(statementLineError(lineNo, unopened));
        in_ = In::Header;
    }

    BankStatement& statement_;
    In in_ = In::Header;
    Section section_;
    QString kind_;
};

// The bank's totals of each account against the documents: what came in and went out in all its
// sections, and each section's own balance.
void checkTotals(const BankStatement& statement)
{
    struct Totals {
        int line = 0;
        Money declaredIn, declaredOut, in, out;
        bool hasIn = false, hasOut = false;
    };
    std::map<QString, Totals> accounts;
    for (const AccountSection& section : statement.sections) {
        if (section.opening && section.in && section.out && section.closing
            && *section.opening + *section.in - *section.out != *section.closing) {
            const Money computed = *section.opening + *section.in - *section.out;
            throw UserError(statementLineError(section.line, QStringLiteral("остатки счёта %1 не сходятся: %2 + %3 − %4 = %5, а «КонечныйОстаток» %6; разница %7")
                                                        .arg(section.account, amount(*section.opening), amount(*section.in),
                                                             amount(*section.out), amount(computed), amount(*section.closing),
                                                             amount(computed - *section.closing))));
        }
        Totals& totals = accounts[section.account];
        totals.line = totals.line ? totals.line : section.line;
        totals.hasIn = totals.hasIn || section.in.has_value();
        totals.hasOut = totals.hasOut || section.out.has_value();
        totals.declaredIn += section.in.value_or(Money());
        totals.declaredOut += section.out.value_or(Money());
    }
    for (const StatementDocument& doc : statement.documents) {
        if (auto payee = accounts.find(doc.payee.account); payee != accounts.end())
            payee->second.in += doc.sum;
        if (auto payer = accounts.find(doc.payer.account); payer != accounts.end())
            payer->second.out += doc.sum;
    }
    for (const auto& [account, totals] : accounts) {
        const struct {
            bool given;
            const char16_t* key;
            Money declared, documents;
        } sides[] = {{totals.hasIn, u"ВсегоПоступило", totals.declaredIn, totals.in},
                     {totals.hasOut, u"ВсегоСписано", totals.declaredOut, totals.out}};
        for (const auto& side : sides) {
            if (side.given && side.declared != side.documents)
                throw UserError(statementLineError(totals.line, QStringLiteral("по счёту %1 в выписке «%2» %3, а документов на %4; разница %5")
                                                           .arg(account, QString::fromUtf16(side.key), amount(side.declared),
                                                                amount(side.documents), amount(side.declared - side.documents))));
        }
    }
}

// Orders prepared for the bank carry neither the account section nor the bank's dates of the money's
// movement: booking them would book payments that may never have been made.
void checkIsStatement(const BankStatement& statement)
{
    if (!statement.sections.empty() || statement.documents.empty())
        return;
    for (const StatementDocument& doc : statement.documents) {
        if (doc.debited.isValid() || doc.credited.isValid())
            return;
    }
    throw UserError(QStringLiteral("Выписка не загружена: файл платёжных поручений для банка, а не выписка: в нём нет "
                                   "ни секции счёта, ни дат списания и поступления денег"));
}

} // namespace

BankStatement parseBankStatement(const QByteArray& bytes)
{
    BankStatement statement;
    const QString text = decodeStatement(bytes, statement.encoding);
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    StatementReader(statement).read(text.split(lineEnd));
    checkIsStatement(statement);
    checkTotals(statement);
    return statement;
}

} // namespace vi23
