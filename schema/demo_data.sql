-- Demo data for a local trial of the program: 320 customers, two years of charges, sender numbers,
-- about 300,000 SMS and 36,000 MMS in the gateway tables over the last 18 months, some MMS still
-- queued, and the staff accounts of the demo.
--
-- Run after sms_sk.sql and cv_inhouse.sql; it empties the tables it fills, so it can run again.
-- Everything is made with INSERT ... SELECT over the server's built-in seq_1_to_N tables, so the
-- whole load takes seconds. The rows are the same on every run (values come from CRC32 of fixed
-- texts, not from RAND()); only the times move, relative to the moment of loading.
--
-- Staff (every password is demo1234):
--   corvane  관리자   level 0   the only one who sees the summaries
--   staff1   김민준   level 0   all rights of the customer windows
--   staff2   이서연   level 0
--   staff3..staff8     level 3   office hours only (08:00-19:00 server time)
--   clerk3   한예린   level 3   in no access list: charges on Saturdays only, no sender numbers
--   dev9     개발자   hidden    cannot log in
--   acct1    오경리   sale_user 0: cannot log in
--
-- Customers worth a look: userseq 7 has a trade name with 똠 (outside KS X 1001, inside the
-- Korean code page 949), userseq 77 one with a quote; every 7th customer has a carried-over
-- balance (iwolcnt); every 29th has six sender numbers.

SET @t0 = NOW();

USE sms_sk;
TRUNCATE TABLE smsuser;
TRUNCATE TABLE smsfill;
TRUNCATE TABLE certified_telno;
TRUNCATE TABLE certified_telno_del;
TRUNCATE TABLE telink_sms;
TRUNCATE TABLE tbl_msg_hist;
TRUNCATE TABLE tbl_submit_queue;

-- Customers: trade name = place word x business word, unique for n = 1..320; the ID is the place
-- word romanised plus the number.
INSERT INTO smsuser (userseq, userid, userpw, user_passwd, username, restcnt, iwolcnt, regdate,
                     bigo, hpno, reguser, update_user, update_dttm)
SELECT c.n,
       CONCAT(ELT(c.a, 'hanbit', 'daehan', 'mirae', 'seoul', 'pureun', 'saehan', 'dongbang',
                  'cheongsol', 'uri', 'hana', 'taeyang', 'geumgang', 'baekdu', 'halla', 'daon',
                  'garam', 'nuri', 'somang', 'haengbok', 'jeil'),
              LPAD(c.n, 3, '0')),
       'zhpkw--374',
       SHA1('4826'),
       CONCAT(IF(c.n % 9 = 0, '(주)', ''),
              ELT(c.a, '한빛', '대한', '미래', '서울', '푸른', '새한', '동방', '청솔', '우리',
                  '하나', '태양', '금강', '백두', '한라', '다온', '가람', '누리', '소망', '행복',
                  '제일'),
              ELT(c.b, '부동산', '학원', '치과', '의원', '약국', '마트', '식당', '여행사', '인쇄',
                  '산업', '무역', '건설', '교회', '카센터', '꽃집', '미용실'),
              CASE WHEN c.n % 11 = 0 THEN ' 2호점' WHEN c.n % 13 = 0 THEN ' 본점' ELSE '' END),
       0,
       IF(c.n % 7 = 0, 500 + c.h % 20 * 250, 0),
       DATE(@t0) - INTERVAL IF(c.n <= 260, 760 + c.h % 500, c.h % 700) DAY,
       ELT(1 + (c.h DIV 7) % 10, '', '', '', '', '담당: 김과장', '월말 일괄 정산',
           '세금계산서 발행 요청', '야간 발송 많음', '대표 번호로 회신', '2년 약정 고객'),
       CASE c.n % 10
         WHEN 6 THEN CONCAT('02-', 200 + c.t % 800, '-', LPAD((c.t DIV 1000) % 10000, 4, '0'))
         WHEN 7 THEN CONCAT('031-', 200 + c.t % 800, '-', LPAD((c.t DIV 1000) % 10000, 4, '0'))
         WHEN 8 THEN CONCAT('070-', LPAD(c.t % 10000, 4, '0'), '-',
                            LPAD((c.t DIV 10000) % 10000, 4, '0'))
         WHEN 9 THEN CONCAT('010', LPAD(c.t % 100000000, 8, '0'))
         ELSE CONCAT('010-', LPAD(c.t % 10000, 4, '0'), '-', LPAD((c.t DIV 10000) % 10000, 4, '0'))
       END,
       ELT(1 + c.n % 8, 'staff1', 'staff2', 'staff3', 'staff4', 'staff5', 'staff6', 'staff7',
           'staff8'),
       IF(c.n % 5 = 0, ELT(1 + c.n % 3, 'staff1', 'staff2', 'staff3'), ''),
       IF(c.n % 5 = 0, @t0 - INTERVAL (c.h % 400) DAY - INTERVAL (c.t % 36000) SECOND, NULL)
FROM (SELECT seq AS n, 1 + (seq - 1) % 20 AS a, 1 + (seq - 1) DIV 20 AS b,
             CRC32(CONCAT('cust', seq)) AS h, CRC32(CONCAT('tel', seq)) AS t
      FROM seq_1_to_320) AS c;

UPDATE smsuser SET username = '똠양꿍 타이식당', update_dttm = update_dttm WHERE userseq = 7;
UPDATE smsuser SET username = 'O''Neil 영어학원', update_dttm = update_dttm WHERE userseq = 77;

-- Charges over the last two years during office hours: mostly ordinary charges from the price
-- list with the counts its tiers give, some compensations and adjustments without payment.
INSERT INTO smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)
SELECT x.reguser, x.userid, DATE_FORMAT(x.dt, '%Y%m%d%H%i%s'), x.regtype, x.casecnt,
       x.casemoney, x.bigo
FROM (SELECT u.userid,
             IF(g.kind < 88, 0, IF(g.kind < 96, 1, 2)) AS regtype,
             CASE WHEN g.kind < 88 THEN ELT(g.price, 682, 1136, 1364, 2182, 2500, 3450, 4400,
                                            5556, 5834, 11112)
                  WHEN g.kind < 96 THEN 50 * g.price
                  ELSE IF(g.price <= 4, -100 * g.price, 100 * g.price)
             END AS casecnt,
             IF(g.kind < 88, ELT(g.price, 16500, 27500, 33000, 52800, 55000, 75900, 96800, 110000,
                                 115500, 220000), 0) AS casemoney,
             CASE WHEN g.kind < 88 THEN ELT(1 + (g.h DIV 13) % 6, '', '', '무통장입금', '카드결제',
                                            '계좌이체', '입금확인')
                  WHEN g.kind < 96 THEN ELT(1 + (g.h DIV 13) % 3, '오발송 보상', '전송 장애 보상',
                                            '이벤트 보상')
                  ELSE ELT(1 + (g.h DIV 13) % 2, '잔여건수 조정', '이관 정리')
             END AS bigo,
             ELT(1 + (g.h DIV 7) % 9, 'staff1', 'staff2', 'staff3', 'staff4', 'staff5', 'staff6',
                 'staff7', 'staff8', 'corvane') AS reguser,
             IF(g.dt > @t0, g.dt - INTERVAL 1 DAY, g.dt) AS dt
      FROM (SELECT CRC32(CONCAT('fill', seq)) % 100 AS kind,
                   CAST(1 + (CRC32(CONCAT('fill', seq)) DIV 100) % 10 AS SIGNED) AS price,
                   CRC32(CONCAT('fill', seq)) AS h,
                   1 + CRC32(CONCAT('fcust', seq)) % 320 AS n,
                   DATE(@t0) - INTERVAL (CRC32(CONCAT('fday', seq)) % 730) DAY
                     + INTERVAL (9 * 3600 + CRC32(CONCAT('ftime', seq)) % 32400) SECOND AS dt
            FROM seq_1_to_5000) AS g
      JOIN smsuser AS u ON u.userseq = g.n) AS x
ORDER BY x.dt;

-- Sender numbers: 0 to 3 per customer, six for every 29th. The first is the contact number, the
-- others a Seoul line, a national representative number and mobiles.
INSERT INTO certified_telno (userid, telno, created_dttm, creator_name, bigo)
SELECT x.userid, x.telno, x.created, x.creator, ''
FROM (SELECT u.userid,
             CASE s.seq
               WHEN 1 THEN REPLACE(u.hpno, '-', '')
               WHEN 2 THEN CONCAT('02', 2000000 + CRC32(CONCAT('ct2', u.userseq)) % 8000000)
               WHEN 3 THEN CONCAT(ELT(1 + u.userseq % 3, '1588', '1644', '1800'),
                                  LPAD(CRC32(CONCAT('ct3', u.userseq)) % 10000, 4, '0'))
               ELSE CONCAT('010', LPAD(CRC32(CONCAT('ct', s.seq, u.userseq)) % 100000000, 8, '0'))
             END AS telno,
             LEAST(@t0, u.regdate + INTERVAL (s.seq * 20 + CRC32(CONCAT('cd', s.seq, u.userseq)) % 30) DAY
                        + INTERVAL (9 * 3600 + CRC32(CONCAT('ct', u.userseq)) % 32400) SECOND)
               AS created,
             ELT(1 + (u.userseq + s.seq) % 8, '김민준', '이서연', '박지훈', '최수아', '정도윤',
                 '강하은', '조현우', '윤지민') AS creator
      FROM smsuser AS u
      JOIN seq_1_to_6 AS s
        ON s.seq <= IF(u.userseq % 29 = 0, 6, CRC32(CONCAT('ctn', u.userseq)) % 4)) AS x
ORDER BY x.created;

-- Some numbers were deleted again; archive them the way the program does.
INSERT INTO certified_telno_del (code, userid, telno, created_dttm, creator_name, bigo, del_dttm,
                                 del_name)
SELECT code, userid, telno, created_dttm, creator_name, bigo,
       LEAST(@t0, created_dttm + INTERVAL (10 + code % 200) DAY),
       ELT(1 + code % 3, '김민준', '이서연', '박지훈')
FROM certified_telno
WHERE code % 17 = 5;
DELETE FROM certified_telno WHERE code % 17 = 5;

-- SMS: a few customers send most of the traffic (the square of a uniform value picks the
-- customer), mostly in the day, over the last 18 months. 99 and -100 are delivered; a few
-- reports never came back (NULL).
INSERT INTO telink_sms (SND_PHN_ID, RCV_PHN_ID, CALLBACK, SND_MSG, WRT_DTTM, SND_DTTM, RSLT_VAL)
SELECT x.userid, x.rcv, x.callback, x.msg, DATE_FORMAT(x.dt, '%Y%m%d%H%i%s'),
       DATE_FORMAT(x.dt + INTERVAL x.delay SECOND, '%Y%m%d%H%i%s'), x.rslt
FROM (SELECT u.userid,
             CONCAT('010', LPAD((g.h1 ^ g.h2) % 100000000, 8, '0')) AS rcv,
             REPLACE(u.hpno, '-', '') AS callback,
             ELT(1 + (g.h2 DIV 13) % 8,
                 '[예약안내] 내일 오후 2시 예약이 확인되었습니다.',
                 '주문하신 상품이 오늘 발송되었습니다. 감사합니다.',
                 '인증번호는 [482913] 입니다. 3분 안에 입력해 주세요.',
                 '이번 주 토요일까지 전 품목 20% 할인 행사를 합니다.',
                 '결제가 완료되었습니다. 이용해 주셔서 감사합니다.',
                 '회원님의 포인트가 곧 소멸됩니다. 확인 바랍니다.',
                 '수업 시간이 변경되었습니다. 학원으로 문의 바랍니다.',
                 '정기 점검 안내: 다음 주 월요일은 휴무입니다.') AS msg,
             IF(g.dt > @t0, g.dt - INTERVAL 1 DAY, g.dt) AS dt,
             2 + g.h2 % 29 AS delay,
             CASE WHEN g.r < 70 THEN 99
                  WHEN g.r < 85 THEN -100
                  WHEN g.r < 99 THEN ELT(1 + g.r % 6, 1, 2, 7, 18, 23, 32)
                  ELSE NULL
             END AS rslt
      FROM (SELECT CRC32(CONCAT('s', seq)) AS h1,
                   CRC32(CONCAT('t', seq)) AS h2,
                   (CRC32(CONCAT('t', seq)) DIV 7919) % 100 AS r,
                   1 + (FLOOR(320 * POW(CRC32(CONCAT('s', seq)) / 4294967296, 2)) * 97) % 320 AS n,
                   DATE(@t0) - INTERVAL (CRC32(CONCAT('t', seq)) % 548) DAY
                     + INTERVAL (7 * 3600 + (CRC32(CONCAT('t', seq)) DIV 548) % 54000) SECOND AS dt
            FROM seq_1_to_300000) AS g
      JOIN smsuser AS u ON u.userseq = g.n) AS x
ORDER BY x.dt;

-- MMS sent: fewer customers, the same period.
INSERT INTO tbl_msg_hist (DEST_PHONE, SEND_PHONE, SUBJECT, MSG_BODY, RESERVED_DTTM, REPORT_DTTM,
                          RSLT_CODE, ETC_CHAR_1)
SELECT x.dest, x.sendp, x.subj, x.body, DATE_FORMAT(x.dt, '%Y%m%d%H%i%s'),
       DATE_FORMAT(x.dt + INTERVAL x.delay SECOND, '%Y%m%d%H%i%s'), x.rslt, x.userid
FROM (SELECT u.userid,
             CONCAT('010', LPAD((g.h1 ^ g.h2) % 100000000, 8, '0')) AS dest,
             REPLACE(u.hpno, '-', '') AS sendp,
             ELT(1 + (g.h2 DIV 13) % 6, '[광고] 봄맞이 할인 안내', '매장 이전 안내', '신상품 소개',
                 '휴무 안내', '모임 안내', '영수증') AS subj,
             CONCAT(CONVERT(u.username USING utf8mb4), ' 입니다. ',
                    ELT(1 + (g.h2 DIV 17) % 4,
                        '고객님께 늘 감사드립니다. 이번 달 새로 준비한 상품과 행사를 소개해 드립니다.',
                        '매장이 아래 주소로 이전하였습니다. 약도를 첨부하오니 참고해 주세요.',
                        '연휴 기간 동안 휴무합니다. 급한 문의는 대표 번호로 연락 바랍니다.',
                        '요청하신 자료를 보내 드립니다. 확인 후 회신 부탁드립니다.')) AS body,
             IF(g.dt > @t0, g.dt - INTERVAL 1 DAY, g.dt) AS dt,
             5 + g.h2 % 120 AS delay,
             IF(g.h2 % 50 = 0, 2000 + g.h2 % 7, 1000) AS rslt
      FROM (SELECT CRC32(CONCAT('mm', seq)) AS h1,
                   CRC32(CONCAT('mt', seq)) AS h2,
                   1 + (FLOOR(320 * POW(CRC32(CONCAT('mm', seq)) / 4294967296, 3)) * 61) % 320 AS n,
                   DATE(@t0) - INTERVAL (CRC32(CONCAT('mt', seq)) % 548) DAY
                     + INTERVAL (8 * 3600 + (CRC32(CONCAT('mt', seq)) DIV 548) % 43200) SECOND AS dt
            FROM seq_1_to_36000) AS g
      JOIN smsuser AS u ON u.userseq = g.n) AS x
ORDER BY x.dt;

-- MMS still waiting: reserved from two hours ago to six days ahead, for 15 customers.
INSERT INTO tbl_submit_queue (DEST_PHONE, SEND_PHONE, SUBJECT, MSG_BODY, RESERVED_DTTM, ETC_CHAR_1)
SELECT CONCAT('010', LPAD(CRC32(CONCAT('qd', g.seq)) % 100000000, 8, '0')),
       REPLACE(u.hpno, '-', ''),
       ELT(1 + g.seq % 3, '예약 안내', '행사 안내', '청구서'),
       CONCAT(CONVERT(u.username USING utf8mb4), ' 입니다. 예약 발송 메시지입니다.'),
       DATE_FORMAT(@t0 - INTERVAL 2 HOUR + INTERVAL (CRC32(CONCAT('qt', g.seq)) % 518400) SECOND,
                   '%Y%m%d%H%i%s'),
       u.userid
FROM seq_1_to_80 AS g
JOIN smsuser AS u ON u.userseq = 1 + ((g.seq % 15) * 21) % 320
ORDER BY 5;

-- Two customers (one with a carried-over balance) got an ordinary charge, a compensation and an
-- adjustment on one day three days ago, and a charge on the last Saturday: the ledger shows the
-- day as one row, the summaries split it, the charge list marks the Saturday.
INSERT INTO smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)
SELECT 'staff1', u.userid, DATE_FORMAT(DATE(@t0) - INTERVAL 3 DAY + INTERVAL x.h HOUR,
                                       '%Y%m%d%H%i%s'),
       x.t, x.c, x.m, x.b
FROM smsuser AS u
JOIN (SELECT 10 AS h, 0 AS t, 2500 AS c, 55000 AS m, '카드결제' AS b
      UNION ALL SELECT 11, 1, 300, 0, '전송 장애 보상'
      UNION ALL SELECT 15, 2, -120, 0, '잔여건수 조정') AS x
WHERE u.userseq IN (1, 14);
INSERT INTO smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)
SELECT 'clerk3', u.userid,
       DATE_FORMAT(DATE(@t0) - INTERVAL ((DAYOFWEEK(@t0) % 7) + IF(DAYOFWEEK(@t0) = 7, 7, 0)) DAY
                   + INTERVAL 10 HOUR, '%Y%m%d%H%i%s'),
       0, 1364, 33000, '토요일 입금'
FROM smsuser AS u
WHERE u.userseq IN (1, 14);

-- Balance = carry-over + charges - SMS - 3 x MMS (sent and queued), as the ledger totals it.
-- update_dttm is set to itself so that this bookkeeping does not count as an edit.
UPDATE smsuser AS u
LEFT JOIN (SELECT userid, SUM(casecnt) AS c FROM smsfill GROUP BY userid) AS f
  ON f.userid = u.userid
LEFT JOIN (SELECT SND_PHN_ID AS id, COUNT(*) AS c FROM telink_sms GROUP BY SND_PHN_ID) AS s
  ON s.id = u.userid
LEFT JOIN (SELECT ETC_CHAR_1 AS id, COUNT(*) AS c FROM tbl_msg_hist GROUP BY ETC_CHAR_1) AS m
  ON m.id = u.userid
LEFT JOIN (SELECT ETC_CHAR_1 AS id, COUNT(*) AS c FROM tbl_submit_queue GROUP BY ETC_CHAR_1) AS q
  ON q.id = u.userid
SET u.restcnt = u.iwolcnt + IFNULL(f.c, 0) - IFNULL(s.c, 0) - 3 * IFNULL(m.c, 0)
                - 3 * IFNULL(q.c, 0),
    u.update_dttm = u.update_dttm;

-- Bulk inserts reserve AUTO_INCREMENT values in blocks; the next charge or sender number made in
-- the program should follow the last one without a gap.
ALTER TABLE smsuser AUTO_INCREMENT = 1;
ALTER TABLE smsfill AUTO_INCREMENT = 1;
ALTER TABLE certified_telno AUTO_INCREMENT = 1;
ALTER TABLE telink_sms AUTO_INCREMENT = 1;
ALTER TABLE tbl_msg_hist AUTO_INCREMENT = 1;
ALTER TABLE tbl_submit_queue AUTO_INCREMENT = 1;

USE cv_inhouse;
DELETE FROM `user_mac`;
DELETE FROM `user`;

INSERT INTO `user` (`id`, `password2`, `name`, `level`, `jangbu_user`, `hidden`, `sale_user`) VALUES
  ('corvane', SHA1('demo1234'), '관리자', 0, '1', 0, 1),
  ('staff1', SHA1('demo1234'), '김민준', 0, '1', 0, 1),
  ('staff2', SHA1('demo1234'), '이서연', 0, '1', 0, 1),
  ('staff3', SHA1('demo1234'), '박지훈', 3, '0', 0, 1),
  ('staff4', SHA1('demo1234'), '최수아', 3, '0', 0, 1),
  ('staff5', SHA1('demo1234'), '정도윤', 3, '0', 0, 1),
  ('staff6', SHA1('demo1234'), '강하은', 3, '0', 0, 1),
  ('staff7', SHA1('demo1234'), '조현우', 3, '0', 0, 1),
  ('staff8', SHA1('demo1234'), '윤지민', 3, '0', 0, 1),
  ('clerk3', SHA1('demo1234'), '한예린', 3, '0', 0, 1),
  ('dev9', SHA1('demo1234'), '개발자', 0, '0', 1, 1),
  ('acct1', SHA1('demo1234'), '오경리', 3, '1', 0, 0);

-- Made-up computers; the demo script adds the real one of this workstation.
INSERT INTO `user_mac` (`user_id`, `mac_addr`, `block`) VALUES
  ('clerk3', '0011223344AA', 0),
  ('staff4', '0011223344BB', 1),
  ('staff2', '0011223344CC', 0);
