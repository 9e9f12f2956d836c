# A program that uses every kind of thing a listing shows: keywords of every group, numbers as
# typed (E notation, fractions, BIN), strings, REM, DEF FN and FN, user-defined graphics, block
# graphics, the copyright sign and the backslash.
10 REM Loader \a\b\c "quoted" \\ and \* 1998
20 DEF FN f(x,y)=x*y+1.5E10
30 DEF FN s$(a$)=a$+"!"
40 LET a$="\::\.'\ '\' \:.\.:\''\..": PRINT FN f(2,3);FN s$("x")
50 FOR i=1 TO 10 STEP 0.5: NEXT i
60 IF a<>b AND c>=d OR e<=f THEN GO TO 10
70 PRINT AT 1,2;INK 3;PAPER 6;"\d\e\f\g\h\i\j\k\l\m\n\o\p\q\r\s";1E-5;.5;65535;3.2e30
80 LET r=RND*PI+SIN x-COS y: LET k$=INKEY$+STR$ r+CHR$ 65
90 POKE 23606,BIN 10101010: RANDOMIZE USR 32768
100 DIM b(3,2): LET b(1,1)=7: LET c=(1)AND(2)
110 DATA 1,-2.25,"three": READ p,q,r$: RESTORE 110
120 OPEN #3,"p": CLOSE #3: LPRINT "`^@": BEEP .1,-12
130 IF NOT INT a THEN CIRCLE 128,88,40: DRAW 10,10,PI/2
140 LET v=VAL "2"+LEN "abc"+CODE "A"+ABS -1+SGN -3+SQR 4+EXP 1+LN 2
150 LET w=ATN 1+ASN .5+ACS .5+TAN 1+PEEK 23672+IN 254+ATTR (1,1)+POINT (1,1)
160 PRINT SCREEN$ (0,0);VAL$ "a$";TAB 8;"x": GO SUB 1000
1000 BORDER 1: FLASH 0: BRIGHT 1: INVERSE 0: OVER 0: OUT 254,7: PAUSE 0: CLS
1010 SAVE "name" LINE 10: LOAD "" CODE: VERIFY "": MERGE "": LIST: LLIST: COPY
1020 INPUT "yes? ";y$: CLEAR 32767: CONTINUE: NEW: STOP: RUN: RETURN
9999 PLOT 0,0: ERASE : MOVE : FORMAT : CAT 
