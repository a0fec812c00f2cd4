<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>OptionsDialog</name>
    <message><source>OK</source><translation>확인</translation></message>
    <message><source>Cancel</source><translation>취소</translation></message>
    <message><source>Apply</source><translation>적용</translation></message>
    <message><source>Record List</source><translation>녹음 목록</translation></message>
    <message><source>General</source><translation>일반</translation></message>
    <message><source>Record</source><translation>녹음</translation></message>
    <message><source>Auto Backup</source><translation>자동 백업</translation></message>
    <message><source>Record List Header</source><translation>녹음 목록 항목</translation></message>
    <message><source>Call Contents</source><translation>통화 내용</translation></message>
    <message><source>Customers Information</source><translation>고객 정보</translation></message>
    <message><source>About</source><translation>프로그램 정보</translation></message>
    <message><source>Copyright Information</source><translation>저작권 정보</translation></message>
</context>
</TS>
