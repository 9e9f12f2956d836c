# Colour and position controls, the last two user-defined graphics and token codes inside
# strings: the listing writes each as zmakebas reads it back, so this source is also the
# listing expected (whitespace aside).
10 PRINT "\{16}\{2}red\{16}\{7} \{22}\{5}\{34}at\{23}\{8}\{0}tab"
20 PRINT "\{17}\{1}\{19}\{1}\{20}\{1}\{21}\{0}\{18}\{1}flash"
30 REM \t\u \{234}\{14}\{6}\{8}\{13}
40 LET u$="\t\u\{200}": PRINT u$;"""quoted"""
