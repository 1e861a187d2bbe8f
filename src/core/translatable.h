#pragma once

// Marks a text of the game's data that the window layer shows translated,
// where the translation tools find it: QT_TRANSLATE_NOOP("Runner", "…") is the
// text itself, looked up under that context when shown. The same definition
// as Qt's, for code without the toolkit.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
