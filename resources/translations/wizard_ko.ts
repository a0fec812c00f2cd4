<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko_KR" sourcelanguage="en_US">
<context>
    <name>LicensePage</name>
    <message><source>Setup Wizard</source><translation>설치 마법사</translation></message>
    <message><source>License Agreement</source><translation>사용권 계약</translation></message>
    <message><source>Please read the following license agreement carefully.</source><translation>다음 사용권 계약을 주의 깊게 읽어 주십시오.</translation></message>
    <message><source>Do you agree with the terms and conditions of the above agreement?
If you select No, the installation wizard will not continue.
You have to agree with the agreement to use this product.</source><translation>위 계약의 조건에 동의하십니까?
아니요를 선택하면 설치 마법사가 계속되지 않습니다.
이 제품을 사용하려면 계약에 동의해야 합니다.</translation></message>
    <message><source>Yes &gt;&gt;</source><translation>예 &gt;&gt;</translation></message>
    <message><source>No</source><translation>아니요</translation></message>
</context>
<context>
    <name>FolderPage</name>
    <message><source>Setup Wizard</source><translation>설치 마법사</translation></message>
    <message><source>Setup Folder</source><translation>설치 폴더</translation></message>
    <message><source>Select the folder in which Ambrin+ will be installed.</source><translation>Ambrin+를 설치할 폴더를 선택하십시오.</translation></message>
    <message><source>Setup will install Ambrin+ in the following folder. To install it in another folder, push Change... and select the folder.</source><translation>Ambrin+를 다음 폴더에 설치합니다. 다른 폴더에 설치하려면 변경...을 누르고 폴더를 선택하십시오.</translation></message>
    <message><source>Ambrin+ Setup folder:</source><translation>Ambrin+ 설치 폴더:</translation></message>
    <message><source>Change...</source><translation>변경...</translation></message>
    <message><source>Next &gt;&gt;</source><translation>다음 &gt;&gt;</translation></message>
    <message><source>Cancel</source><translation>취소</translation></message>
</context>
<context>
    <name>ProgressPage</name>
    <message><source>Setup Wizard</source><translation>설치 마법사</translation></message>
    <message><source>Installation</source><translation>설치</translation></message>
    <message><source>If you want to install this product, push the Installation button.</source><translation>이 제품을 설치하려면 설치 버튼을 누르십시오.</translation></message>
    <message><source>I want to make a shortcut on the desktop.</source><translation>바탕 화면에 바로 가기를 만듭니다.</translation></message>
    <message><source>Automatically start Ambrin+ after installation</source><translation>설치 후 Ambrin+를 자동으로 시작합니다</translation></message>
    <message><source>Install (&amp;I)</source><translation>설치(&amp;I)</translation></message>
    <message><source>Cancel</source><translation>취소</translation></message>
    <message><source>Finish</source><translation>마침</translation></message>
    <message><source>Install Error</source><translation>파일 설치 오류</translation></message>
</context>
</TS>
