#include "BankStatement.h"
#include "Error.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <array>

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

QString lineError(int line, const QString& text)
{
    return QStringLiteral("Выписка не загружена: строка %1: %2").arg(line).arg(text);
}

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
    QString firstOf(const QString& a, const QString& b) const
    {
        QString v = value(a);
        return v.isEmpty() ? value(b) : v;
    }
    // An empty or absent date is not set; anything else must be a date dd.MM.yyyy.
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
            throw UserError(lineError(atLine, QStringLiteral("неверная дата «%1» в поле %2").arg(text, key)));
        return parsed;
    }
};

Money parseSum(const Section& section)
{
    auto [text, atLine] = section.values.value(QStringLiteral("Сумма"));
    if (text.isEmpty())
        throw UserError(lineError(section.line, QStringLiteral("у документа нет суммы")));
    static const QRegularExpression form(QStringLiteral("^\\d{1,15}([.,]\\d{1,2})?$"));
    std::optional<Money> sum = form.match(text).hasMatch() ? Money::tryParse(text) : std::nullopt;
    if (!sum)
        throw UserError(lineError(atLine, QStringLiteral("неверная сумма «%1»").arg(text)));
    return *sum;
}

PaymentParty party(const Section& section, const QString& side)
{
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
        throw UserError(lineError(section.line, QStringLiteral("у документа нет номера")));
    if (!doc.date.isValid() && !doc.debited.isValid() && !doc.credited.isValid())
        throw UserError(lineError(section.line, QStringLiteral("у документа нет даты")));
    return doc;
}

void addAccount(QStringList& accounts, const QString& account)
{
    if (!account.isEmpty() && !accounts.contains(account))
        accounts << account;
}

} // namespace

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

BankStatement parseBankStatement(const QByteArray& bytes)
{
    BankStatement statement;
    const QString text = decodeStatement(bytes, statement.encoding);
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    const QStringList lines = text.split(lineEnd);

    if (lines.isEmpty() || lines[0].trimmed() != u"1CClientBankExchange")
        throw UserError(lineError(1, QStringLiteral("нет заголовка «1CClientBankExchange»: это не файл выписки из банка")));

    enum class In { Header, Account, Document, Done } in = In::Header;
    Section section;
    QString kind;
    for (int i = 1; i < lines.size() && in != In::Done; ++i) {
        const int lineNo = i + 1;
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = (eq < 0 ? line : line.left(eq)).trimmed();
        const QString value = eq < 0 ? QString() : line.mid(eq + 1).trimmed();

        auto openSection = [&](In next) {
            if (in == In::Account)
                throw UserError(lineError(lineNo, QStringLiteral("секция счёта из строки %1 не закрыта строкой «КонецРасчСчет»").arg(section.line)));
            if (in == In::Document)
                throw UserError(lineError(lineNo, QStringLiteral("секция документа из строки %1 не закрыта строкой «КонецДокумента»").arg(section.line)));
            in = next;
            section = Section{lineNo, {}};
        };
        if (key == u"СекцияРасчСчет") {
            openSection(In::Account);
        } else if (key == u"СекцияДокумент") {
            openSection(In::Document);
            kind = value;
        } else if (key == u"КонецРасчСчет") {
            if (in != In::Account)
                throw UserError(lineError(lineNo, QStringLiteral("«КонецРасчСчет» без начала секции счёта")));
            section.date(QStringLiteral("ДатаНачала"));
            section.date(QStringLiteral("ДатаКонца"));
            addAccount(statement.accounts, section.value(QStringLiteral("РасчСчет")));
            in = In::Header;
        } else if (key == u"КонецДокумента") {
            if (in != In::Document)
                throw UserError(lineError(lineNo, QStringLiteral("«КонецДокумента» без начала секции документа")));
            statement.documents.push_back(document(section, kind));
            in = In::Header;
        } else if (key == u"КонецФайла") {
            openSection(In::Done);
        } else if (in == In::Header) {
            if (key == u"РасчСчет")
                addAccount(statement.accounts, value);
            else if (key.startsWith(u"Дата") && !value.isEmpty())
                Section{lineNo, {{key, {value, lineNo}}}}.date(key);
        } else if (eq > 0) {
            section.add(key, value, lineNo);
        }
    }
    if (in == In::Account || in == In::Document)
        throw UserError(lineError(int(lines.size()), QStringLiteral("секция из строки %1 не закрыта до конца файла").arg(section.line)));
    if (in != In::Done)
        throw UserError(lineError(int(lines.size()), QStringLiteral("нет строки «КонецФайла»: файл выписки неполон")));
    return statement;
}

} // namespace vi23
