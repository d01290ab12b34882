#include "TextCatalogue.h"

#include <QDir>

#include "BuiltInMessageTable.h"

QString LoadedCatalogue::CatalogueFileName(int languageIndex) {
  switch (languageIndex) {
    case 1: return QStringLiteral("deutsch.qm");
    case 2: return QStringLiteral("francais.qm");
    default: return QStringLiteral("english.qm");
  }
}

LoadedCatalogue::LoadedCatalogue(const QString& directory, int languageIndex) {
  loaded_ = translator_.load(QDir(directory).filePath(CatalogueFileName(languageIndex)));
}

std::string LoadedCatalogue::Text(unsigned number) const {
  if (!loaded_) return std::string(BuiltInMessageText(number));
  // Id-based catalogue: the id is the message number, with no context. A
  // missing id gives a null string, which is the empty text we want.
  const QByteArray id = QByteArray::number(number);
  return translator_.translate(nullptr, id.constData()).toStdString();
}

QString CatalogueDirectory(const QString& executableDirectory) {
  const QDir installed(executableDirectory + QStringLiteral("/../share/tessaramond"));
  return installed.exists() ? installed.absolutePath() : executableDirectory;
}

std::string LookupText(const QString& catalogueDirectory, int languageIndex, unsigned number) {
  return LoadedCatalogue(catalogueDirectory, languageIndex).Text(number);
}
