#pragma once
// Qt's own words that Debian's Russian catalogue of Qt lacks, in Russian: the kinds of entry
// in the file dialogs ("Folder", "Drive", ...) and the word of their side bar. Installed after
// Qt's catalogue under Russian regional settings; it answers only for its own words.
#include <QTranslator>

namespace vantorel {

class RussianQtWords : public QTranslator {
  Q_OBJECT
 public:
  explicit RussianQtWords(QObject* parent = nullptr);

  QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                    int n = -1) const override;
  bool isEmpty() const override { return false; }
};

}  // namespace vantorel
