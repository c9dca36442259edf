#include "JetFile.h"

#include "data/Error.h"

// The library's header includes <glib.h> inside its extern "C" block, which C++ cannot compile;
// with glib included first, its guard keeps the second inclusion empty.
#include <glib.h>
#include <mdbtools.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace vi23::jet {

namespace {

constexpr qint64 kPageSize = 4096;        // Jet 4
constexpr int kRowOffsetMask = 0x1FFF;    // the flags above it mark deleted and overflow rows
// Long enough for a memo of 65,535 characters in UTF-8; values reaching the end of the buffer
// are reported as cut instead of being taken as whole.
constexpr size_t kMemoBindSize = 65536 * 3 + 1;

QString fileError(const QString& path, const QString& what)
{
    return QStringLiteral("Файл %1 %2").arg(QFileInfo(path).absoluteFilePath(), what);
}

QByteArray readHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(0x20);
}

bool hasSignature(const QByteArray& header)
{
    return header.size() >= 0x15 && header.mid(0, 4) == QByteArray("\x00\x01\x00\x00", 4)
        && (header.mid(4, 16) == QByteArray("Standard Jet DB\0", 16) || header.mid(4, 16) == QByteArray("Standard ACE DB\0", 16));
}

struct TypeInfo {
    int type;
    const char16_t* name;
    ColumnKind kind;
    bool integer;
    bool money;
};

const TypeInfo kTypes[] = {
    {MDB_BOOL, u"логический", ColumnKind::Other, false, false},
    {MDB_BYTE, u"байт", ColumnKind::Text, true, false},
    {MDB_INT, u"целое", ColumnKind::Text, true, false},
    {MDB_LONGINT, u"длинное целое", ColumnKind::Text, true, false},
    {MDB_MONEY, u"денежный", ColumnKind::Text, false, true},
    {MDB_FLOAT, u"одинарное с плавающей точкой", ColumnKind::Real, false, false},
    {MDB_DOUBLE, u"двойное с плавающей точкой", ColumnKind::Real, false, false},
    {MDB_DATETIME, u"дата/время", ColumnKind::Date, false, false},
    {MDB_BINARY, u"двоичный", ColumnKind::Other, false, false},
    {MDB_TEXT, u"текстовый", ColumnKind::Text, false, false},
    {MDB_OLE, u"объект OLE", ColumnKind::Other, false, false},
    {MDB_MEMO, u"MEMO", ColumnKind::Text, false, false},
    {MDB_REPID, u"код репликации", ColumnKind::Other, false, false},
    {MDB_NUMERIC, u"десятичный", ColumnKind::Text, false, true},
};

Column describe(const MdbColumn& col)
{
    Column column;
    column.name = QString::fromUtf8(col.name);
    column.typeName = QStringLiteral("тип %1").arg(col.col_type);
    for (const TypeInfo& info : kTypes) {
        if (info.type == col.col_type) {
            column.typeName = QString::fromUtf16(info.name);
            column.kind = info.kind;
            column.integer = info.integer;
            column.money = info.money;
        }
    }
    if (col.col_type == MDB_TEXT)
        column.size = col.col_size / 2;   // declared in bytes of UCS-2
    return column;
}

// Bytes of the longest value the column can hold, in UTF-8 with the closing zero.
size_t bindSizeFor(const MdbColumn& col)
{
    if (col.col_type == MDB_MEMO)
        return kMemoBindSize;
    if (col.col_type == MDB_TEXT)
        return size_t(col.col_size / 2) * 3 + 1;
    return 64;
}

} // namespace

struct JetFile::Handle {
    MdbHandle* mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

struct JetTable::Reader {
    MdbHandle* mdb = nullptr;
    MdbTableDef* table = nullptr;
    size_t bufferSize = 0;
    std::vector<std::vector<char>> buffers;
    std::vector<int> lengths;

    ~Reader()
    {
        if (table)
            mdb_free_tabledef(table);
    }

    void bind()
    {
        bufferSize = mdb->bind_size;
        buffers.assign(table->num_cols, std::vector<char>(bufferSize + 1, '\0'));
        lengths.assign(table->num_cols, 0);
        for (unsigned i = 0; i < table->num_cols; ++i)
            mdb_bind_column(table, int(i) + 1, buffers[i].data(), &lengths[i]);
    }
};

bool JetFile::hasJetSignature(const QString& path)
{
    return hasSignature(readHeader(path));
}

JetFile::JetFile(const QString& path) : handle_(std::make_unique<Handle>()), path_(path)
{
    QFileInfo info(path);
    if (!info.exists())
        throw UserError(fileError(path, QStringLiteral("не найден")));
    const QByteArray header = readHeader(path);
    if (!hasSignature(header))
        throw UserError(fileError(path, QStringLiteral("не является базой данных прежней версии программы")));
    if (header.mid(4, 16) != QByteArray("Standard Jet DB\0", 16) || header[0x14] != 1)
        throw UserError(fileError(path, QStringLiteral("записан не в формате Jet 4 (Access 2000–2003); переносятся только такие файлы")));
    if (info.size() < 4 * kPageSize || info.size() % kPageSize != 0)
        throw UserError(fileError(path, QStringLiteral("повреждён или обрезан: его длина не кратна странице базы данных")));
    // The library converts text into the character set this variable names; the store wants UTF-8.
    qputenv("MDBICONV", "UTF-8");
    handle_->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!handle_->mdb)
        throw UserError(fileError(path, QStringLiteral("не удалось открыть как базу данных Jet 4")));
    if (!mdb_read_catalog(handle_->mdb, MDB_TABLE))
        throw UserError(fileError(path, QStringLiteral("повреждён: не читается список таблиц")));
}

JetFile::~JetFile() = default;

QStringList JetFile::tableNames() const
{
    QStringList names;
    MdbHandle* mdb = handle_->mdb;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && !mdb_is_system_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

std::unique_ptr<JetTable> JetFile::openTable(const QString& name)
{
    MdbHandle* mdb = handle_->mdb;
    const QString damaged = QStringLiteral("повреждён: не читается таблица «%1»").arg(name);
    MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, name.toUtf8().constData());
    if (!entry || entry->object_type != MDB_TABLE)
        throw UserError(fileError(path_, QStringLiteral("не содержит таблицы «%1»").arg(name)));
    auto reader = std::make_unique<JetTable::Reader>();
    reader->mdb = mdb;
    reader->table = mdb_read_table(entry);
    if (!reader->table || !mdb_read_columns(reader->table) || reader->table->num_cols != reader->table->columns->len)
        throw UserError(fileError(path_, damaged));
    std::vector<Column> columns;
    size_t bindSize = mdb->bind_size;
    for (unsigned i = 0; i < reader->table->num_cols; ++i) {
        const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(reader->table->columns, i));
        columns.push_back(describe(*col));
        bindSize = std::max(bindSize, bindSizeFor(*col));
    }
    // The default buffer cuts long values silently; it only ever grows, so buffers of a table
    // opened earlier are never smaller than what the library writes into them.
    if (bindSize > mdb->bind_size)
        mdb_set_bind_size(mdb, bindSize);
    mdb_rewind_table(reader->table);
    reader->bind();
    std::unique_ptr<JetTable> table(new JetTable(*this, name, std::move(reader)));
    table->columns_ = std::move(columns);
    return table;
}

JetTable::JetTable(JetFile& file, QString name, std::unique_ptr<Reader> reader)
    : file_(file), name_(std::move(name)), reader_(std::move(reader))
{
}

JetTable::~JetTable() = default;

long long JetTable::declaredRows() const
{
    return reader_->table->num_rows;
}

bool JetTable::next(std::vector<Cell>& cells)
{
    Reader& r = *reader_;
    if (r.bufferSize != r.mdb->bind_size)
        r.bind();
    if (!mdb_fetch_row(r.table))
        return false;
    // The bound texts do not tell an empty text from a missing value; the row's own null flags do.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(r.mdb, int(r.table->cur_row) - 1, &start, &size) != 0)
        throw UserError(fileError(file_.path(), QStringLiteral("повреждён: не читается строка таблицы «%1»").arg(name_)));
    MdbField fields[MDB_MAX_COLS];
    int count = mdb_crack_row(r.table, start & kRowOffsetMask, size, fields);
    cells.assign(columns_.size(), Cell());
    for (int i = 0; i < count; ++i) {
        const MdbField& field = fields[i];
        if (field.colnum < 0 || size_t(field.colnum) >= columns_.size())
            continue;
        Cell& cell = cells[size_t(field.colnum)];
        const Column& column = columns_[size_t(field.colnum)];
        cell.null = field.is_null != 0;
        if (cell.null)
            continue;
        switch (column.kind) {
        case ColumnKind::Text: {
            int length = r.lengths[size_t(field.colnum)];
            cell.text = QString::fromUtf8(r.buffers[size_t(field.colnum)].data(), length);
            cell.cut = size_t(length) + 4 >= r.bufferSize;
            break;
        }
        case ColumnKind::Real:
        case ColumnKind::Date:
            if (field.siz == 8) {
                std::memcpy(&cell.number, field.value, 8);
            } else if (field.siz == 4) {
                float single = 0;
                std::memcpy(&single, field.value, 4);
                cell.number = single;
            } else {
                throw UserError(fileError(file_.path(), QStringLiteral("повреждён: в таблице «%1» поле «%2» неверной длины")
                                                            .arg(name_, column.name)));
            }
            break;
        case ColumnKind::Other:
            break;
        }
    }
    return true;
}

} // namespace vi23::jet
