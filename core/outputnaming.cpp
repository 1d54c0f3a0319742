#include "outputnaming.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The keywords of C99, C11 and C++17.
constexpr std::string_view Keywords[] = {
    "_Alignas", "_Alignof", "_Atomic", "_Bool", "_Complex", "_Generic", "_Imaginary", "_Noreturn",
    "_Static_assert", "_Thread_local", "alignas", "alignof", "and", "and_eq", "asm", "auto",
    "bitand", "bitor", "bool", "break", "case", "catch", "char", "char16_t", "char32_t", "class",
    "compl", "const", "const_cast", "constexpr", "continue", "decltype", "default", "delete", "do",
    "double", "dynamic_cast", "else", "enum", "explicit", "export", "extern", "false", "float",
    "for", "friend", "goto", "if", "inline", "int", "long", "mutable", "namespace", "new",
    "noexcept", "not", "not_eq", "nullptr", "operator", "or", "or_eq", "private", "protected",
    "public", "register", "reinterpret_cast", "restrict", "return", "short", "signed", "sizeof",
    "static", "static_assert", "static_cast", "struct", "switch", "template", "this",
    "thread_local", "throw", "true", "try", "typedef", "typeid", "typename", "union", "unsigned",
    "using", "virtual", "void", "volatile", "wchar_t", "while", "xor", "xor_eq",
};

} // namespace

QByteArray OutputName(QByteArrayView fileName, QByteArrayView extension)
{
    QByteArray name = fileName.toByteArray();
    if (name.toLower().contains(".bmp")) {
        // Every ".bmp", any letter case, from the first character on.
        for (qsizetype at = 0; (at = name.toLower().indexOf(".bmp", at)) >= 0; at += extension.size())
            name.replace(at, 4, extension.toByteArray());
    } else {
        const qsizetype dot = name.lastIndexOf('.');
        if (dot > 0)
            name.truncate(dot);
        name += extension;
    }
    return "lcd_" + name;
}

QByteArray FontOutputName(QByteArrayView prefix, QByteArrayView fontPath, int pixels, QByteArrayView extension)
{
    QByteArray name = fontPath.sliced(fontPath.lastIndexOf('/') + 1).toByteArray();
    const qsizetype dot = name.indexOf('.', 1);
    if (dot > 0)
        name.truncate(dot);
    if (pixels > 0)
        name += '_' + QByteArray::number(pixels);
    const QString identifier = CIdentifier(QString::fromUtf8(prefix.toByteArray() + name + ".h"));
    return identifier.toUtf8() + extension.toByteArray();
}

QByteArray OutputPathBeside(const QByteArray &inputPath, QByteArrayView extension)
{
    const qsizetype slash = inputPath.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : inputPath.left(slash);
    return folder + '/' + OutputName(QByteArrayView(inputPath).sliced(slash + 1), extension);
}

QString WindowListingPath(const QString &folder, const QString &fileName)
{
    return folder + QDir::separator() + QFile::decodeName(OutputName(QFile::encodeName(fileName), ".txt"));
}

QByteArray BitmapPathForListing(const QByteArray &listingPath)
{
    const bool isTxt = listingPath.toLower().endsWith(".txt");
    return (isTxt ? listingPath.chopped(4) : listingPath) + ".bmp";
}

QString CIdentifier(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    QString identifier = dot > 0 ? fileName.left(dot) : fileName;
    for (QChar &c : identifier) {
        const char16_t u = c.unicode();
        const bool fits = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')
                          || (u >= '0' && u <= '9') || u == '_';
        if (!fits)
            c = QLatin1Char('_');
    }
    if (identifier.isEmpty() || identifier.front().isDigit())
        identifier.prepend(QLatin1Char('_'));
    const QByteArray latin = identifier.toLatin1();
    if (std::find(std::begin(Keywords), std::end(Keywords), std::string_view(latin.constData())) != std::end(Keywords))
        identifier += QLatin1Char('_');
    return identifier;
}
