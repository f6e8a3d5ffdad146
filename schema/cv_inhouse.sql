-- The in-house staff database: staff accounts and the computers each member may work from.
-- The program only reads it, during the login.

CREATE DATABASE IF NOT EXISTS cv_inhouse CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci;
USE cv_inhouse;

-- One row per staff member. level 0 may log in at any hour, any other level only 08:00-19:00;
-- hidden = 1 (developers, former staff) and sale_user <> 1 cannot log in.
CREATE TABLE IF NOT EXISTS `user` (
  `id` VARCHAR(20) NOT NULL,
  -- SHA1() of the password as the server computes it
  `password2` CHAR(40) NOT NULL DEFAULT '',
  `name` VARCHAR(30) NOT NULL DEFAULT '',
  `level` SMALLINT NOT NULL DEFAULT 0,
  -- read by the login statement, used by other programs of the company
  `jangbu_user` VARCHAR(20) NOT NULL DEFAULT '',
  `hidden` INT NOT NULL DEFAULT 0,
  `sale_user` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`id`)
) ENGINE=InnoDB;

-- Registered computers, by the MAC address of their first network adapter (12 upper-case hex
-- digits). One computer may be registered for several members; the login takes the first row.
CREATE TABLE IF NOT EXISTS `user_mac` (
  `user_id` VARCHAR(20) NOT NULL,
  `mac_addr` CHAR(12) NOT NULL,
  `block` INT NOT NULL DEFAULT 0,
  PRIMARY KEY (`user_id`, `mac_addr`),
  KEY `idx_user_mac_mac` (`mac_addr`)
) ENGINE=InnoDB;
