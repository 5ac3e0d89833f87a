" pelorn scripts
au BufRead,BufNewFile *.scr setfiletype pelorn
