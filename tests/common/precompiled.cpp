// Only the precompiled <QtTest> the library tests share is built from here.
