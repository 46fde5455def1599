#!/bin/sh
# Prints each sequence the terminal knows, with text between, for the
# comparison with libvterm.
p() { printf "$@"; }
p '\033[2J\033[Hplain text\r\n\ttab\tstops\r\n'
p '\033[5;10HXY\033[2Aup\033[3Bdown\033[4Cfwd\033[2Dback'
p '\033[2Enext\033[1Fprev\033[30Gcol\033[7;3Hpos\033[8;4fhvp\033[12dvpa'
p '\0337\033[20;1Hsaved\0338restored\033D\033E\033M'
p '\033[1mbold\033[4munder\033[7mrev\033[0m \033[31;42mcol\033[38;5;208m256\033[48;2;1;2;3mrgb\033[0m\r\n'
p '\033[3;20r\033[20;1H\nscrolled\033[2S\033[1T\033[r'
p '\033[10;1H\033[2L\033[1M\033[5@\033[3P\033[4X\033[K\033[1K\033[2K'
p '\033[?7l'; i=0; while [ $i -lt 12 ]; do p 'nowrap '; i=$((i + 1)); done; p '\033[?7h\r\n'
i=0; while [ $i -lt 12 ]; do p 'wrapping '; i=$((i + 1)); done
p '\033(0lqqqqk\r\nx    x\r\nmqqqqj\033(B\r\n'
p 'caf\303\251 \344\270\255\346\226\207 \342\202\254\r\n'
p '\033[?1049h\033[Halternate\033[?1049l\033[?25l\033[?25h\033[?1h\033[?1l\033[?2004h\033[?2004l'
p '\033]0;title\007\033]2;other\033\\\033P1$r0m\033\\\033[?1234h\033[>4;2m'
p '\033[4hins\033[4l\033[5n\033[6n\033[c\033[18t\033[J\033[1J\033c after reset'
