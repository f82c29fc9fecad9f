<?php
// Debian's sabre/dav 1.8 as a CalDAV server for the tests, under PHP's own web server:
//   SABRE_FOLDER=DIR SABRE_AUTH=basic|digest php -S 127.0.0.1:PORT sabre_server.php
// Accounts u0 … u39 with passwords clave0 … clave39, each a principal with a calendar home of
// its own (calendars/uN/) and no calendar in it; the store is DIR/sabre.sqlite, made at the
// first request. sabre/dav 1.8 has no sync-collection: its calendars are listed by ETags.

error_reporting(E_ALL & ~E_DEPRECATED);
ini_set('display_errors', '0');
ini_set('log_errors', '1');
date_default_timezone_set('UTC');
require_once 'Sabre/autoload.php';

const USERS = 40;
const REALM = 'SabreDAV';

$file = getenv('SABRE_FOLDER') . '/sabre.sqlite';
$fresh = !file_exists($file);
$pdo = new PDO('sqlite:' . $file);
$pdo->setAttribute(PDO::ATTR_ERRMODE, PDO::ERRMODE_EXCEPTION);
$pdo->setAttribute(PDO::ATTR_TIMEOUT, 60);
if ($fresh) {
    // The tables of the package's examples/sql/sqlite.*.sql (the documentation folder that
    // holds them is left out of many installations).
    $pdo->exec('BEGIN');
    $pdo->exec('CREATE TABLE calendarobjects (id integer primary key asc, calendardata blob,
        uri text, calendarid integer, lastmodified integer, etag text, size integer,
        componenttype text, firstoccurence integer, lastoccurence integer)');
    $pdo->exec('CREATE TABLE calendars (id integer primary key asc, principaluri text,
        displayname text, uri text, ctag integer, description text, calendarorder integer,
        calendarcolor text, timezone text, components text, transparent bool)');
    $pdo->exec('CREATE TABLE principals (id INTEGER PRIMARY KEY ASC, uri TEXT, email TEXT,
        displayname TEXT, vcardurl TEXT, UNIQUE(uri))');
    $pdo->exec('CREATE TABLE groupmembers (id INTEGER PRIMARY KEY ASC, principal_id INTEGER,
        member_id INTEGER, UNIQUE(principal_id, member_id))');
    $pdo->exec('CREATE TABLE users (id integer primary key asc, username TEXT, digesta1 TEXT,
        UNIQUE(username))');
    $principal = $pdo->prepare('INSERT INTO principals (uri, email, displayname) VALUES (?, ?, ?)');
    $user = $pdo->prepare('INSERT INTO users (username, digesta1) VALUES (?, ?)');
    for ($n = 0; $n < USERS; ++$n) {
        $principal->execute(["principals/u$n", "u$n@example.org", "u$n"]);
        $user->execute(["u$n", md5("u$n:" . REALM . ":clave$n")]);
    }
    $pdo->exec('COMMIT');
}

// Basic: the password checked against the account's own.
class TestAccounts extends \Sabre\DAV\Auth\Backend\AbstractBasic
{
    protected function validateUserPass($username, $password)
    {
        return preg_match('/^u([0-9]+)$/', $username, $m) === 1 && intval($m[1]) < USERS
            && $password === 'clave' . $m[1];
    }
}

$principals = new \Sabre\DAVACL\PrincipalBackend\PDO($pdo);
$server = new \Sabre\DAV\Server([
    new \Sabre\CalDAV\Principal\Collection($principals),
    new \Sabre\CalDAV\CalendarRootNode($principals, new \Sabre\CalDAV\Backend\PDO($pdo)),
]);
$accounts = getenv('SABRE_AUTH') === 'digest' ? new \Sabre\DAV\Auth\Backend\PDO($pdo)
                                               : new TestAccounts();
$server->addPlugin(new \Sabre\DAV\Auth\Plugin($accounts, REALM));
$server->addPlugin(new \Sabre\DAVACL\Plugin());
$server->addPlugin(new \Sabre\CalDAV\Plugin());
$server->exec();
