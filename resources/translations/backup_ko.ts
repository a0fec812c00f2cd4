<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>AutoBackupPage</name>
    <message><source>You can choose the backup folder and restore the data.</source><translation>백업 폴더를 선택하고 데이터를 복원할 수 있습니다.</translation></message>
    <message><source>Backup Folder</source><translation>백업 폴더</translation></message>
    <message><source>Path...</source><translation>경로...</translation></message>
    <message><source>Backup List</source><translation>백업 목록</translation></message>
    <message><source>Restore</source><translation>복원</translation></message>
    <message><source>Delete</source><translation>삭제</translation></message>
    <message><source>Auto Backup:</source><translation>자동 백업:</translation></message>
    <message><source>Manual Backup</source><translation>수동 백업</translation></message>
    <message><source>Backup</source><translation>백업</translation></message>
</context>
</TS>
