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
<context>
    <name>GeneralPage</name>
    <message><source>General</source><translation>일반</translation></message>
    <message><source>Recording Folder</source><translation>녹음 폴더</translation></message>
    <message><source>Path...</source><translation>경로...</translation></message>
    <message><source>Skin</source><translation>스킨</translation></message>
    <message><source>Add</source><translation>추가</translation></message>
    <message><source>Del</source><translation>삭제</translation></message>
    <message><source>Window</source><translation>창</translation></message>
    <message><source>Show Always Above</source><translation>항상 위에 표시</translation></message>
    <message><source>Tray Icon</source><translation>알림 영역 아이콘</translation></message>
    <message><source>Automatically Start when the Desktop Starts</source><translation>데스크톱 시작 시 자동 실행</translation></message>
    <message><source>Hide Window</source><translation>창 숨기기</translation></message>
    <message><source>Auto Update</source><translation>자동 업데이트</translation></message>
    <message><source>User Name :</source><translation>사용자 이름 :</translation></message>
</context>
<context>
    <name>RecordPage</name>
    <message><source>Record</source><translation>녹음</translation></message>
    <message><source>Recording Format</source><translation>녹음 형식</translation></message>
    <message><source>OGG</source><translation>OGG</translation></message>
    <message><source>MP3</source><translation>MP3</translation></message>
    <message><source>WAVE</source><translation>WAVE</translation></message>
    <message><source>Recording Mode</source><translation>녹음 방식</translation></message>
    <message><source>Automatic</source><translation>자동</translation></message>
    <message><source>Manual</source><translation>수동</translation></message>
    <message><source>Input</source><translation>입력</translation></message>
    <message><source>MIC</source><translation>마이크</translation></message>
    <message><source>Line-In</source><translation>라인 입력</translation></message>
    <message><source>Password</source><translation>비밀번호</translation></message>
    <message><source>Use</source><translation>사용</translation></message>
    <message><source>Password :</source><translation>비밀번호 :</translation></message>
    <message><source>Call Detection</source><translation>통화 감지</translation></message>
    <message><source>Recognition of Call End :</source><translation>통화 종료 인식 :</translation></message>
    <message><source>sec</source><translation>초</translation></message>
    <message><source>Start :</source><translation>시작 :</translation></message>
    <message><source>Minimum Recording Time :</source><translation>최소 녹음 시간 :</translation></message>
    <message><source>End :</source><translation>종료 :</translation></message>
    <message><source>Recording Volume</source><translation>녹음 볼륨</translation></message>
    <message><source>Detail</source><translation>자세히</translation></message>
    <message><source>Use Recording Information</source><translation>녹음 정보 사용</translation></message>
    <message><source>Use External Player</source><translation>외부 플레이어 사용</translation></message>
    <message><source>Quality</source><translation>음질</translation></message>
</context>
<context>
    <name>CustomerNameDialog</name>
    <message><source>Ambrin+</source><translation>Ambrin+</translation></message>
    <message><source>Enter Customer Name :</source><translation>고객 이름을 입력하십시오 :</translation></message>
</context>
<context>
    <name>CustomersPage</name>
    <message><source>Customers Information</source><translation>고객 정보</translation></message>
    <message><source>Phone Num. :</source><translation>전화번호 :</translation></message>
    <message><source>Organization :</source><translation>회사명 :</translation></message>
    <message><source>Address :</source><translation>주소 :</translation></message>
    <message><source>ETC1 :</source><translation>기타1 :</translation></message>
    <message><source>ETC2 :</source><translation>기타2 :</translation></message>
    <message><source>Add</source><translation>추가</translation></message>
    <message><source>Del</source><translation>삭제</translation></message>
    <message><source>Save</source><translation>저장</translation></message>
</context>
<context>
    <name>CallContentsPage</name>
    <message><source>Call Contents</source><translation>통화 내용</translation></message>
    <message><source>You can simply select the call contents when you input the comments.</source><translation>녹음 정보를 입력할 때 통화 내용을 간단히 선택할 수 있습니다.</translation></message>
    <message><source>Add</source><translation>추가</translation></message>
    <message><source>Del</source><translation>삭제</translation></message>
</context>
<context>
    <name>RecordListHeaderPage</name>
    <message><source>Record List Header</source><translation>녹음 목록 항목</translation></message>
    <message><source>You can change the display name of item in record list.</source><translation>녹음 목록에 표시되는 항목 이름을 바꿀 수 있습니다.</translation></message>
    <message><source>Item Name :</source><translation>항목 이름 :</translation></message>
    <message><source>Display Name :</source><translation>표시 이름 :</translation></message>
</context>
<context>
    <name>AboutPage</name>
    <message><source>About</source><translation>프로그램 정보</translation></message>
    <message><source>Ambrin+ Call Recorder</source><translation>Ambrin+ 통화 녹음기</translation></message>
    <message><source>Customer service : support@tavix.co.kr</source><translation>고객 지원 : support@tavix.co.kr</translation></message>
</context>
<context>
    <name>CopyrightPage</name>
    <message><source>Copyright Information</source><translation>저작권 정보</translation></message>
</context>
</TS>
