[playlist]
NumberOfEntries=3
File2=http://127.0.0.1:9/two
Title2=Second
Length2=-1
file1 = local/one.mp3
TITLE1=First
Length1=61
Title3=no file, no entry
File10=/abs/ten.wav
Length10=5000000
Version=2
