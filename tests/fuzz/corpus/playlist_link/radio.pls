[playlist]
NumberOfEntries=2
File2=http://b/2
File1=stream/1.mp3
Title1=x
