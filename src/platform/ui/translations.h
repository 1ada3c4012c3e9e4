// The toolkit's own texts in Chinese: the standard buttons of message boxes (确定, 取消, 是,
// 否) and the standard dialogs, as the notices that tell a child to click 确定 or 取消
// expect. The translations are the toolkit's, installed with it.
#pragma once

#include <QString>

namespace pencora::ui {

// Installs the toolkit's translations for `locale` (zh_CN unless told otherwise) in the
// application. Returns false, leaving the English texts, when they are not installed.
bool installToolkitTranslations(const QString& locale = QStringLiteral("zh_CN"));

}  // namespace pencora::ui
