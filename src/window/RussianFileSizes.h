#pragma once
// The file dialogs' sizes in Russian units: Qt writes them with the regional settings' data,
// whose Russian lacks the binary units ("12,5 KiB"); under Russian regional settings the
// units read "байт", "КиБ", "МиБ", "ГиБ", "ТиБ".
#include <QIdentityProxyModel>

namespace vantorel {

class RussianFileSizes : public QIdentityProxyModel {
  Q_OBJECT
 public:
  explicit RussianFileSizes(QObject* parent = nullptr);

  QVariant data(const QModelIndex& index, int role) const override;

  // `size` as Qt writes it, its unit in Russian.
  static QString Russian(const QString& size);
};

}  // namespace vantorel
