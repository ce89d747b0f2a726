<?xml version="1.0" encoding="UTF-8"?>
<DefaultList><PlayerList><항목 Path="p" Title="제목"/></PlayerList></DefaultList>