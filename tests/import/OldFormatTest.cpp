// The window's question at start over kn.mdb of the old format, with the message boxes caught.
#include "OldFile.h"

#include "app/OldFormat.h"
#include "data/Database.h"
#include "ui/Messages.h"

namespace vi23 {
namespace {

using jet::test::OldFile;

struct Boxes {
    QStringList questions;
    QStringList errors;
    QStringList information;
};

bool startWith(const QString& path, bool answer, Boxes& boxes)
{
    ui::setMessageHooks({[&](const QString&, const QString& text) { boxes.errors << text; },
                         [&](const QString& text) { boxes.information << text; },
                         [&](const QString& text) {
                             boxes.questions << text;
                             return answer;
                         }});
    const bool goOn = convertOldFormatIfWanted(path);
    ui::setMessageHooks({});
    return goOn;
}

TEST(OldFormatQuestion, ConvertsOnlyWhenAskedAndKeepsTheOldFileAside)
{
    const QString question = QString::fromUtf16(u"Файл kn.mdb создан прежней версией программы. Перенести данные в новый формат?");
    const QStringList both = {QStringLiteral("kn.mdb"), QStringLiteral("kn.mdb.jet")};
    const QStringList one = {QStringLiteral("kn.mdb")};
    const struct {
        const char* name;
        bool answer;
        bool keptFileThere;
        std::function<void(QByteArray&)> change;
        bool goOn;
        QStringList entries;
        const char16_t* box;   // a text the information or error box holds
    } cases[] = {
        {"yes", true, false, {}, true, both, u"kn.mdb.jet.\nСравните строки и суммы с книгами прежней программы:\n"
                                             u"Строк в таблицах, в старом файле и в новом:\n  jur           6        6\n"},
        {"no", false, false, {}, false, one, nullptr},
        {"yes over a damaged file", true, false, [](QByteArray& b) { b.truncate(40 * 4096); }, false, one, u"повреждён"},
        {"yes with kn.mdb.jet already there", true, true, {}, false, both, u"уже существует"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OldFile old(QStringLiteral("kn.mdb"), c.change);
        if (c.keptFileThere) {
            QFile kept(old.file(QStringLiteral("kn.mdb.jet")));
            ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
            kept.write("earlier");
        }
        Boxes boxes;
        EXPECT_EQ(startWith(old.path(), c.answer, boxes), c.goOn);
        EXPECT_EQ(boxes.questions, QStringList{question});
        EXPECT_EQ(old.entries(), c.entries);
        const QStringList shown = boxes.information + boxes.errors;
        if (c.box) {
            ASSERT_EQ(shown.size(), 1);
            EXPECT_TRUE(shown[0].contains(QString::fromUtf16(c.box))) << shown[0].toStdString();
        } else {
            EXPECT_TRUE(shown.isEmpty());
        }
        if (c.goOn) {
            EXPECT_NO_THROW(Database::open(old.path()));
        } else {
            EXPECT_TRUE(old.unchanged());
        }
    }

    // A file of the program itself is opened without a word.
    QTemporaryDir dir;
    const QString current = dir.filePath(QStringLiteral("kn.mdb"));
    Database::create(current);
    Boxes boxes;
    EXPECT_TRUE(startWith(current, true, boxes));
    EXPECT_TRUE(boxes.questions.isEmpty());
}

} // namespace
} // namespace vi23
