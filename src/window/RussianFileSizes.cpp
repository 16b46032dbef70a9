#include "window/RussianFileSizes.h"

#include <QLocale>

namespace vantorel {

RussianFileSizes::RussianFileSizes(QObject* parent) : QIdentityProxyModel(parent) {}

QString RussianFileSizes::Russian(const QString& size) {
  static const std::pair<const char*, const char*> kUnits[] = {
      {"bytes", "байт"}, {"KiB", "КиБ"}, {"MiB", "МиБ"}, {"GiB", "ГиБ"}, {"TiB", "ТиБ"}, {"PiB", "ПиБ"}, {"EiB", "ЭиБ"}};
  const qsizetype blank = size.lastIndexOf(' ');
  const QString unit = size.mid(blank + 1);
  for (const auto& [english, russian] : kUnits) {
    if (unit == QLatin1String(english)) return size.left(blank + 1) + QString::fromUtf8(russian);
  }
  return size;
}

QVariant RussianFileSizes::data(const QModelIndex& index, int role) const {
  const QVariant value = QIdentityProxyModel::data(index, role);
  // The size column of Qt's file system model.
  if (role != Qt::DisplayRole || index.column() != 1 || QLocale::system().language() != QLocale::Russian) return value;
  return Russian(value.toString());
}

}  // namespace vantorel
